#!/usr/bin/env bash
# The checker's spreadsheet files (--format=xlsx and csv, the writer of the
# window's "Save As Spreadsheet File…" too) opened by a real LibreOffice,
# their cells read back as CSV: the texts, leading zeros and the row count;
# a list longer than a sheet goes on to a second sheet under the header.
# Skipped (77) when LibreOffice is not installed.
#
#     spreadsheet_read_back_test.sh <quorvane-check>
set -euo pipefail
checker=$1

command -v soffice >/dev/null || { echo "SKIP: soffice is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A run with invalid codes ends with status 1.
check() { "$checker" -q "$@" || [ $? -eq 1 ]; }
# Every sheet as UTF-8 CSV, quoted only where needed, to <folder>/<file>-<sheet>.csv.
# The office's output goes to a file: one that outlived the test must not hold
# the test runner's output open. (Files named before --convert-to would be
# opened for editing, and the office would wait for ever.)
readBack() { # <folder> [--infilter=...] <file>...
    local folder=$1
    shift
    timeout --kill-after=5 240 soffice --headless --norestore --nologo --nolockcheck \
        "-env:UserInstallation=file://$work/profile" \
        --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1' \
        --outdir "$folder" "$@" >"$work/soffice.log" 2>&1 || { cat "$work/soffice.log"; exit 1; }
}
fail=0
expect() { # <file> <expected text>
    if ! diff -u <(printf '%s' "$2") "$1"; then
        echo "FAIL: $1 reads back otherwise"
        fail=1
    fi
}

# The last three hold what a workbook's reader takes for characters written
# as _xHHHH_: they read back unchanged.
printf '%s\n' 012345678905 000000000000 00123 'été —' 'a,b "q"' '=1+1' -12 \
    12345678901234567890 _x0041_ A_x00e9_B _x005F_x0041_ >codes.txt
check --format=xlsx --valid=valid.xlsx --invalid=invalid.xlsx codes.txt
check --format=csv --valid=valid.csv --invalid=invalid.csv codes.txt
readBack xlsx valid.xlsx invalid.xlsx
# Column 1 read as text, as a user opening a list of codes chooses it.
readBack csv --infilter=CSV:44,34,76,1,1/2 valid.csv invalid.csv

valid=$' Valid Codes\n012345678905\n000000000000\n'
expect xlsx/valid-Sheet1.csv "$valid"
expect csv/valid-valid.csv "$valid"
escapes=$'_x0041_\nA_x00e9_B\n_x005F_x0041_\n'
expect xlsx/invalid-Sheet1.csv $'Invalid Codes\n00123\nété —\n"a,b ""q"""\n=1+1\n-12\n12345678901234567890\n'"$escapes"
# A formula's first character is kept text by the apostrophe before it.
expect csv/invalid-invalid.csv $'Invalid Codes\n00123\nété —\n"a,b ""q"""\n\'=1+1\n\'-12\n12345678901234567890\n'"$escapes"

# 1,100,000 codes: a sheet's 1,048,576 rows, then the rest under the header again.
awk 'BEGIN { for (i = 1; i <= 1100000; i++) printf "%011d\n", i }' >many.txt
check --format=xlsx --invalid=many.xlsx many.txt
readBack sheets many.xlsx
expect <(wc -l <sheets/many-Sheet1.csv) $'1048576\n'
expect <(wc -l <sheets/many-Sheet2.csv) $'51426\n'
expect <(sed -n '1,2p;$p' sheets/many-Sheet1.csv) $'Invalid Codes\n00000000001\n00001048575\n'
expect <(sed -n '1,2p;$p' sheets/many-Sheet2.csv) $'Invalid Codes\n00001048576\n00001100000\n'

[ "$fail" -eq 0 ] && echo "PASS"
exit "$fail"
