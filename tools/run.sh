#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset dev
cmake --build --preset dev -j"$(nproc)" --target quorvane
exec build/bin/quorvane
