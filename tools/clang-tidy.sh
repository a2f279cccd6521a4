#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) on the sources of every library and program
# (core, features, gui, cli, the Calc plugin when it is built, app), with the
# compile commands of the dev build (cmake --preset dev makes them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sources=$(git ls-files 'src/*.cpp')
# The plugin is compiled only where LibreOffice's SDK is found.
if ! grep -q 'src/plugins/calc/CalcOffice.cpp' "$build/compile_commands.json"; then
    sources=$(printf '%s\n' $sources | grep -v '^src/plugins/calc/')
fi
# The moc output the headers' Q_OBJECT needs is made by the build.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" $sources
