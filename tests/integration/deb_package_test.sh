#!/usr/bin/env bash
# Builds the .deb with CPack into a temporary folder and checks it: the
# program, the link on the PATH, the desktop entry, the AppStream data, the
# icons, the sample skin, the manual pages and the checker's bash completion
# are in it; the hand cursor lies
# in /usr/share/quorvane with a link to it beside the program, and the skin
# folder beside the program is a link to /etc/quorvane/skin, which the package
# ships empty; Depends names fonts-liberation and the package of every shared
# library the program links; Recommends names LibreOffice Calc and xdg-utils,
# and no LibreOffice package is a dependency (the spreadsheet plugin, when
# built, is in the package all the same). Then Debian's own tools judge it:
# lintian (no error, no warning), desktop-file-validate, appstreamcli and
# hardening-check.
#
#     deb_package_test.sh <cpack> <build folder> <source folder>
set -euo pipefail
cpack=$1
build=$2
source=$3

for tool in lintian desktop-file-validate appstreamcli hardening-check; do
    command -v "$tool" >/dev/null ||
        { echo "FAIL: $tool is not installed (tools/install-deps.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
# Installing writes the build's install_manifest.txt; the one of the user's
# own install is kept.
manifest=$build/install_manifest.txt
if [ -f "$manifest" ]; then cp -p "$manifest" "$work/manifest.kept"; fi
restore() {
    if [ -f "$work/manifest.kept" ]; then cp -p "$work/manifest.kept" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$work"
}
trap restore EXIT

if ! (cd "$work" && timeout 240 "$cpack" --config "$build/CPackConfig.cmake" -B "$work") \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack did not make the package"
    exit 1
fi
debs=("$work"/quorvane_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "FAIL: no quorvane_*.deb"; exit 1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

listing=$(dpkg-deb -c "$deb")
expect_entry() { # <extended regex on a dpkg-deb -c line> <what>
    grep -qE "$1" <<<"$listing" || fail "the package has no $2"
}
expect_entry '^-rwxr-xr-x .* \./usr/lib/quorvane/quorvane$' "program usr/lib/quorvane/quorvane"
expect_entry '^-rw-r--r-- .* \./usr/share/quorvane/HAND-M\.CUR$' "hand cursor usr/share/quorvane/HAND-M.CUR"
expect_entry '^l.* \./usr/lib/quorvane/HAND-M\.CUR -> \.\./\.\./share/quorvane/HAND-M\.CUR$' \
    "link to the hand cursor beside the program"
expect_entry '^l.* \./usr/lib/quorvane/x -> /etc/quorvane/skin$' \
    "link x beside the program to the skin folder /etc/quorvane/skin"
expect_entry '^d.* \./etc/quorvane/skin/$' "skin folder etc/quorvane/skin"
expect_entry '^l.* \./usr/bin/quorvane -> \.\./lib/quorvane/quorvane$' \
    "link usr/bin/quorvane to the program"
expect_entry '^-rwxr-xr-x .* \./usr/lib/quorvane/quorvane-check$' "checker usr/lib/quorvane/quorvane-check"
expect_entry '^l.* \./usr/bin/quorvane-check -> \.\./lib/quorvane/quorvane-check$' \
    "link usr/bin/quorvane-check to the checker"
expect_entry '^-rw-r--r-- .* \./usr/share/bash-completion/completions/quorvane-check$' \
    "bash completion of quorvane-check"
for page in quorvane quorvane-check; do
    expect_entry "^-rw-r--r-- .* \./usr/share/man/man1/$page\.1\.gz$" "compressed manual page $page.1"
done
expect_entry '^-rw-r--r-- .* \./usr/share/doc/quorvane/copyright$' "copyright file"
expect_entry '^-rw-r--r-- .* \./usr/share/doc/quorvane/changelog\.Debian\.gz$' "Debian changelog"
expect_entry '^-rw-r--r-- .* \./usr/share/applications/quorvane\.desktop$' "desktop entry"
expect_entry '^-rw-r--r-- .* \./usr/share/metainfo/example\.tarnwell\.Quorvane\.metainfo\.xml$' \
    "AppStream data"
for size in 32 64 128 256; do
    expect_entry "^-rw-r--r-- .* \./usr/share/icons/hicolor/${size}x${size}/apps/quorvane\.png$" \
        "${size}x${size} icon"
done
expect_entry '^-rw-r--r-- .* \./usr/share/quorvane/skins/quorvane-slate\.qss$' "sample skin"
if [ -f "$build/lib/quorvane/quorvane_calc.so" ]; then
    expect_entry '^-rw-r--r-- .* \./usr/lib/quorvane/quorvane_calc\.so$' "spreadsheet plugin"
fi
if grep -qE '(/x/|/etc/quorvane/skin/).+' <<<"$listing"; then
    fail "the package puts a skin in use"
fi

# Package names of a relation field ("a (>= 1), b | c").
names() { tr ',|' '\n\n' <<<"$1" | sed -E 's/\(.*\)//; s/:any//; s/^ +//; s/ +$//' | grep -v '^$' || true; }
depends=$(names "$(dpkg-deb -f "$deb" Depends)")
recommends=$(names "$(dpkg-deb -f "$deb" Recommends)")
for p in fonts-liberation libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -qx "$p" <<<"$depends" || fail "Depends lacks $p"
done
for p in libreoffice-calc xdg-utils; do
    grep -qx "$p" <<<"$recommends" || fail "Recommends lacks $p"
done
# The program installs and starts without LibreOffice.
if grep -qE '^(libuno|uno-|ure|libreoffice)' <<<"$depends"; then
    fail "Depends names LibreOffice packages"
fi

# Every library the packaged program links comes from a package it depends on.
dpkg-deb -x "$deb" "$work/root"
program=$work/root/usr/lib/quorvane/quorvane
resolved=$(ldd "$program")
while read -r library; do
    # "name => path (address)", or "path (address)" for the dynamic loader.
    path=$(awk -v l="$library" '($1 == l && $2 == "=>") { print $3; exit }
        (substr($1, length($1) - length(l)) == "/" l) { print $1; exit }' <<<"$resolved")
    [ -n "$path" ] || { fail "$library is not found"; continue; }
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null ||
        dpkg -S "${path#/usr}" 2>/dev/null || true)
    package=${owner%%:*}
    [ -n "$package" ] || { fail "no package holds $path"; continue; }
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package (for $library)"
done < <(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }')

# The cursor link leads to the cursor.
if ! cmp -s "$work/root/usr/lib/quorvane/$(readlink "$work/root/usr/lib/quorvane/HAND-M.CUR")" \
    "$source/resources/HAND-M.CUR"; then
    fail "usr/lib/quorvane/HAND-M.CUR does not lead to the hand cursor"
fi

# Debian's tools: lintian (its overrides, in the package, say why a tag is
# left), the desktop entry, the AppStream data and the hardening. Debian 12
# marks no program for control-flow protection.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log"
    fail "lintian finds errors or warnings"
fi
if ! remarks=$(desktop-file-validate "$work/root/usr/share/applications/quorvane.desktop" 2>&1) ||
    [ -n "$remarks" ]; then
    echo "$remarks"
    fail "desktop-file-validate does not pass the desktop entry"
fi
appstreamcli validate --no-net --no-color \
    "$work/root/usr/share/metainfo/example.tarnwell.Quorvane.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli rejects the AppStream data"; }
# A binary all of whose copies have sizes known only at run time has no
# checked call for hardening-check to find (the plugin, and may be a program):
# its fortification is then read off the compile commands, which must give
# every source _FORTIFY_SOURCE=2.
if grep '"command"' "$build/compile_commands.json" | grep -qv -- '-D_FORTIFY_SOURCE=2'; then
    fail "a source is compiled without _FORTIFY_SOURCE=2"
fi
for binary in "$program" "$work/root/usr/lib/quorvane/quorvane-check" \
    "$work/root/usr/lib/quorvane/quorvane_calc.so"; do
    [ -f "$binary" ] || continue
    fortify=
    objdump -T "$binary" | grep -q '__[a-z_]*_chk$' || fortify=--nofortify
    hardening-check --quiet --nocfprotection $fortify "$binary" ||
        fail "$binary is not hardened"
done

if [ "$failures" -gt 0 ]; then
    echo "Depends: $(dpkg-deb -f "$deb" Depends)"
    echo "$listing"
    exit 1
fi
echo "OK: $(basename "$deb"): $(grep -c . <<<"$listing") entries; Depends: $(dpkg-deb -f "$deb" Depends)"
echo "lintian: no error or warning; desktop-file-validate: no remark; appstreamcli: $(tail -n1 "$work/appstream.log")"
