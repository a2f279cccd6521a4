#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) on the core library's sources, with the
# compile commands of the dev build (cmake --preset dev makes them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sources=$(git ls-files 'src/shell/*.cpp' 'src/upc/*.cpp' 'src/input/*.cpp' 'src/output/*.cpp' |
          grep -v -e '^src/shell/window/' -e '^src/output/spreadsheet/Calc')
# The moc output the headers' Q_OBJECT needs is made by the build.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" $sources
