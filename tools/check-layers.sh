#!/usr/bin/env bash
# Checks that includes run one way only between the layers of src/:
#   app -> gui -> features -> core; app -> cli -> core; the Calc plugin sees
#   core and the features' spreadsheet interfaces, and nothing sees the
#   plugin. Prints every include that runs against the direction and fails
#   when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# layer: the folders its files must not include from
declare -A forbidden=(
    [core]='features|gui|cli|plugins|app'
    [features]='gui|cli|plugins|app'
    [cli]='features|gui|plugins|app'
    [app]='plugins'
    [gui]='cli|plugins|app'
    [plugins]='gui|cli|app'
)
status=0
for layer in "${!forbidden[@]}"; do
    if hits=$(git grep -nE "^#include \"(${forbidden[$layer]})/" -- "src/$layer"); then
        echo "$hits"
        status=1
    fi
done
# Core links QtCore alone.
if hits=$(git grep -nE '^#include <Qt(Gui|Widgets|Network)/|^#include <Q(Widget|Application|GuiApplication|Pixmap|Image|Cursor|Color|Palette|LocalSocket|LocalServer)>' -- src/core src/cli); then
    echo "$hits"
    status=1
fi
[ "$status" -eq 0 ] && echo "layers: every include runs app -> gui -> features -> core and app -> cli -> core"
exit "$status"
