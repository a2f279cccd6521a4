#!/usr/bin/env bash
# Checks that includes run one way only between the layers of src/:
#   app -> gui, cli -> features -> core; the Calc plugin sees core and the
#   features' spreadsheet interface; gui reaches the plugin only through its
#   interface header. Prints every include that runs against the direction
#   and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# layer: the folders its files must not include from
declare -A forbidden=(
    [core]='features|gui|cli|plugins|app'
    [features]='gui|cli|plugins|app'
    [cli]='features|gui|plugins|app'
    [gui]='cli|app'
    [plugins]='gui|cli|app'
)
status=0
for layer in "${!forbidden[@]}"; do
    if hits=$(git grep -nE "^#include \"(${forbidden[$layer]})/" -- "src/$layer"); then
        echo "$hits"
        status=1
    fi
done
# The window uses the plugin's interface header only, never its code.
if hits=$(git grep -nE '^#include "plugins/' -- src/gui src/app | grep -v 'plugins/calc/CalcPluginInterface.h'); then
    echo "$hits"
    status=1
fi
# Core links QtCore alone.
if hits=$(git grep -nE '^#include <Qt(Gui|Widgets|Network)/|^#include <Q(Widget|Application|GuiApplication|Pixmap|Image|Cursor|Color|Palette|LocalSocket|LocalServer)>' -- src/core src/cli); then
    echo "$hits"
    status=1
fi
[ "$status" -eq 0 ] && echo "layers: every include runs app -> gui/cli -> features -> core"
exit "$status"
