#!/usr/bin/env bash
# The README's "Very large jobs" recipe, run locally: a million mixed codes cut
# into blocks by GNU parallel, each checked by its own quorvane-check, must give
# the same plain lists, byte for byte, and the same exit status as one run.
#   parallel_jobs_test.sh QUORVANE_CHECK
set -euo pipefail

checker=$1
command -v parallel > /dev/null || { echo "GNU parallel is missing (tools/install-deps.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A million codes as users hold them: valid codes, wrong check digits, 11 and
# 13 digits, hyphens and blanks, letters, separators, non-ASCII, empty lines
# and CR LF line ends.
awk 'BEGIN {
    for (i = 1; i <= 1000000; i++) {
        body = sprintf("%011d", (i * 7919) % 100000000000)
        sum = 0
        for (k = 1; k <= 11; k++) sum += substr(body, k, 1) * (k % 2 ? 3 : 1)
        check = (10 - sum % 10) % 10
        kind = i % 20
        if (kind < 2) code = body check
        else if (kind < 8) code = body (check + 1) % 10
        else if (kind == 8) code = substr(body, 2)
        else if (kind == 9) code = "0" body check
        else if (kind == 10) code = substr(body, 1, 1) "-" substr(body, 2, 5) "-" substr(body, 7) check
        else if (kind == 11) code = substr(body, 1, 6) " " substr(body, 7) check
        else if (kind == 12) code = substr(body, 1, 4) "A" substr(body, 6) check
        else if (kind == 13) code = substr(body, 1, 10) "." check
        else if (kind == 14) code = substr(body, 1, 5) "é" substr(body, 7) check
        else if (kind == 15) code = ""
        else code = body check
        printf "%s%s", code, (kind == 16 ? "\r\n" : "\n")
    }
}' > codes.txt

status=0
"$checker" --plain --quiet --valid=one.valid --invalid=one.invalid codes.txt || status=$?

# The recipe, as the README gives it: blocks read from the file, and blocks
# of standard input.
fail=0
for form in file stdin; do
    rm -f invalid.* jobs.log
    if [ $form = file ]; then
        parallel --pipe-part -a codes.txt --block 1M --keep-order --joblog jobs.log \
            "$checker --plain --quiet --valid=- --invalid=invalid.{#}" > valid.txt || true
    else
        parallel --pipe --block 1M --keep-order --joblog jobs.log \
            "$checker --plain --quiet --valid=- --invalid=invalid.{#}" < codes.txt > valid.txt || true
    fi
    jobs=$(($(wc -l < jobs.log) - 1))
    for n in $(seq "$jobs"); do cat "invalid.$n"; done > invalid.txt
    combined=$(awk -F'\t' 'NR > 1 { s = ($8 != 0 || $7 > 1) ? 2 : $7; if (s > w) w = s }
                           END { print w + 0 }' jobs.log)

    [ "$jobs" -gt 4 ] || { echo "$form: only $jobs jobs, the input was not cut into blocks"; fail=1; }
    cmp one.valid valid.txt || { echo "$form: the combined valid list differs"; fail=1; }
    cmp one.invalid invalid.txt || { echo "$form: the combined invalid list differs"; fail=1; }
    [ "$status" = "$combined" ] || { echo "$form: exit status $combined, one run gave $status"; fail=1; }
    echo "$form: $jobs jobs; $(wc -l < valid.txt) valid, $(wc -l < invalid.txt) invalid; exit status $combined"
done
[ "$status" = 1 ] || { echo "one run gave exit status $status, expected 1"; fail=1; }
exit $fail
