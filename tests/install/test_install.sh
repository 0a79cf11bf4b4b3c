#!/bin/sh
# Installs the build as `make install DESTDIR=...` does, into a fresh folder
# with the default prefix, and checks what lands where: exactly the expected
# files, programs that run from there, icons of the sizes their folders
# name, and a desktop entry, AppStream metadata, manual pages (English and
# Japanese) and changelog that pass their validators and agree on the
# application id and version, the licence in the copyright file, and no
# address the project does not have.
#
# Usage: test_install.sh BUILD_DIR APP_ID VERSION LICENSE
set -eu
build=$1 id=$2 version=$3 license=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest=$work/root
prefix=$dest/usr/local
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$dest cmake --install "$build" --prefix /usr/local >"$work/log" 2>&1 \
    || { cat "$work/log"; fail "cmake --install failed"; exit 1; }
rm "$work/log"

# Exactly these files, and nothing else (no benchmark, no test programs).
sizes="16 24 32 48 64 128 256"
{
    echo bin/masume
    echo bin/masume-batch
    echo share/applications/$id.desktop
    echo share/bash-completion/completions/masume-batch
    echo share/doc/masume/changelog.gz
    echo share/doc/masume/copyright
    for s in $sizes; do echo share/icons/hicolor/${s}x$s/apps/$id.png; done
    echo share/icons/hicolor/scalable/apps/$id.svg
    echo share/man/ja/man1/masume-batch.1.gz
    echo share/man/ja/man1/masume.1.gz
    echo share/man/man1/masume-batch.1.gz
    echo share/man/man1/masume.1.gz
    echo share/metainfo/$id.metainfo.xml
} | sort >"$work/expected"
(cd "$dest" && find . ! -type d | sed 's|^\./usr/local/||' | sort) >"$work/found"
diff -u "$work/expected" "$work/found" || fail "installed files differ from the expected list"

for program in masume masume-batch; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
done
LC_ALL=C "$prefix/bin/masume-batch" --help | grep -q '^usage: masume-batch' \
    || fail "the installed masume-batch does not run"
LC_ALL=ja_JP.UTF-8 "$prefix/bin/masume-batch" --help | grep -q '^使い方: masume-batch' \
    || fail "the installed masume-batch does not speak Japanese under a Japanese locale"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for s in $sizes; do
    png=$prefix/share/icons/hicolor/${s}x$s/apps/$id.png
    [ -f "$png" ] || continue
    got=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [ "$got" = "${s}x$s" ] || fail "the ${s}x$s icon is $got"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

desktop=$prefix/share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$out" ] || fail "desktop-file-validate: $out"
for line in 'Name=masume' 'Exec=masume' "Icon=$id" 'Categories=Graphics;2DGraphics;RasterGraphics;'; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
grep -q '^Name\[ja\]=' "$desktop" || fail "the desktop entry has no Japanese name"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
# The metadata, and with it the desktop entry it launches.
appstreamcli validate-tree --no-net --strict "$prefix" >"$work/log" 2>&1 \
    || { cat "$work/log"; fail "appstreamcli validate-tree failed"; }
grep -qF "<id>$id</id>" "$metainfo" || fail "the metainfo id is not $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $id.desktop"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is $newest, not $version"

first=$(gzip -dc "$prefix/share/doc/masume/changelog.gz" | head -n 1)
case $first in
"masume ($version) "*) ;;
*) fail "the changelog begins with '$first', not version $version" ;;
esac

# The manual pages format without a warning, as man and lintian format them;
# the Japanese ones name themselves in their NAME section, as man -k reads
# it.
for page in man1/masume.1 man1/masume-batch.1 ja/man1/masume.1 ja/man1/masume-batch.1; do
    out=$(gzip -dc "$prefix/share/man/$page.gz" | groff -k -man -Tutf8 -ww -z 2>&1) \
        || fail "groff failed on $page"
    [ -z "$out" ] || fail "$page: $out"
done
for page in masume masume-batch; do
    gzip -dc "$prefix/share/man/ja/man1/$page.1.gz" >"$work/page"
    lexgrog "$work/page" | grep -q ": \"$page - " || fail "ja/man1/$page.1 has no NAME line"
done
# Every option of masume-batch is described in its manual page (where a
# "-" is written "\-"); the Japanese page is held to it by
# test_manual_pages.
gzip -dc "$prefix/share/man/man1/masume-batch.1.gz" >"$work/page"
for option in $(LC_ALL=C "$prefix/bin/masume-batch" --help | grep -oE -- ' -(-[a-z-]+|[a-z])\b' | sort -u); do
    grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$work/page" \
        || fail "masume-batch.1 does not describe $option"
done
rm "$work/page"

# The copyright file is machine-readable, puts every file under the Expat
# (MIT) licence and carries its whole text, that of LICENSE.
copyright=$prefix/share/doc/masume/copyright
head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "the copyright file is not in the machine-readable format"
grep -A2 -x 'Files: \*' "$copyright" | grep -qx 'License: Expat' \
    || fail "the copyright file does not put every file under the Expat licence"
# The stand-alone licence paragraph: "License: Expat" after a blank line.
awk 'on { print } previous == "" && /^License: Expat$/ { on = 1 } { previous = $0 }' "$copyright" |
    sed 's/^ //; s/^\.$//' >"$work/text"
sed -n '/^Permission is hereby granted/,$p' "$license" | cmp -s - "$work/text" \
    || fail "the copyright file's licence text is not that of LICENSE"

# No address the project does not have, in any file installed.
if grep -ril 'masume[.]org' "$dest" >"$work/named"; then
    fail "files name the address the project does not have: $(cat "$work/named")"
fi

[ $failures -eq 0 ] || exit 1
echo "installed and validated: $(wc -l <"$work/found") files"
