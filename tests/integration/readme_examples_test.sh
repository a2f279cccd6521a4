#!/usr/bin/env bash
# Every checker example of the README, run as it stands there (from the
# repository, on its example files) with the built checker, must print what
# the README shows below it: an indented line that starts with
# "quorvane-check" is a command (a "#" comment after it left out), and the
# indented lines under it, up to the next one that is not, are its output
# (standard error included, as a terminal shows it).
#   readme_examples_test.sh REPOSITORY QUORVANE_CHECK
set -euo pipefail

repository=$1
checker=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$checker" "$work/bin/quorvane-check"
cd "$repository"

examples=0
failed=0
run() {
    local command=$1 expected=$2 actual
    actual=$(PATH="$work/bin:$PATH" bash -c "$command" 2>&1) || true
    examples=$((examples + 1))
    if [ "$actual" != "$expected" ]; then
        failed=$((failed + 1))
        echo "README example differs: $command"
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
    fi
}

command=
expected=
while IFS= read -r line; do
    if [[ $line == "    quorvane-check "* ]]; then
        [ -n "$command" ] && run "$command" "$expected"
        command=${line#    }
        command=${command%%#*}
        expected=
    elif [ -n "$command" ] && [[ $line == "    "* ]]; then
        expected+=${expected:+$'\n'}${line#    }
    elif [ -n "$command" ]; then
        run "$command" "$expected"
        command=
    fi
done < README.md
[ -n "$command" ] && run "$command" "$expected"

[ "$examples" -gt 0 ] || { echo "no checker example found in README.md"; exit 1; }
echo "$examples README examples, $failed differ"
[ "$failed" -eq 0 ]
