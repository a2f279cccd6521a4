#!/usr/bin/env bash
# The checker's bash completion, sourced in bash: each line typed (its words
# as bash splits them, "=" a word of its own; the last is the word completed)
# must offer the words shown, in a folder of a few files.
#   bash_completion_test.sh COMPLETION_FILE
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=/dev/null
source "$1" || exit 1
cd "$work" && mkdir data && touch codes.txt codes.csv -- -x

failed=0
expect() { # <offered, sorted, space-separated> <word>...
    local offered=$1
    shift
    COMP_WORDS=(quorvane-check "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _quorvane_check
    local actual
    actual=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [ "$actual" != "$offered" ]; then
        echo "quorvane-check $*<Tab> offers '$actual', expected '$offered'"
        failed=1
    fi
}

[ "$(complete -p quorvane-check)" = "complete -F _quorvane_check quorvane-check" ] ||
    { echo "quorvane-check has no completion"; failed=1; }
expect '--format=' --for
expect '--valid= --version' --v
expect '-q' -q
expect '--gtin' --gt
expect 'csv plain table xlsx' --format =
expect 'xlsx' --format = x
expect 'gtin-14 upc-a' --normalize ''
expect 'gtin-14' --normalize = g
expect 'tab' --separator ''
expect '' --column ''
expect 'codes.csv codes.txt' co
expect 'codes.csv codes.txt' --valid = co
expect 'codes.csv codes.txt' --plain --invalid co
expect 'data' --json d
expect '-x' -q -- -
expect '--invalid=codes.csv --invalid=codes.txt' --invalid=co # "=" not breaking words
expect '--format=csv' --format=c
[ "$failed" -eq 0 ] && echo "bash completion: every line offers what it should"
exit "$failed"
