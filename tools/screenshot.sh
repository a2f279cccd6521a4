#!/usr/bin/env bash
# Draws the README's pictures of the window from the real window, without a
# display: docs/screenshot.png (the ordinary look) and docs/screenshot-slate.png
# (with the Slate skin), each with the sample codes checked.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev -j2 --target quorvane_screenshot
mkdir -p docs
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
QT_QPA_PLATFORM=offscreen build/bin/quorvane_screenshot docs/screenshot.png
QT_QPA_PLATFORM=offscreen build/bin/quorvane_screenshot docs/screenshot-slate.png \
    skins/quorvane-slate.qss
