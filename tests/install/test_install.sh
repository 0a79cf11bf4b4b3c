#!/bin/sh
# Installs the build as `make install DESTDIR=...` does, into a fresh folder
# with the default prefix, and checks what lands where: exactly the expected
# files, programs that run from there, icons of the sizes their folders
# name, and a desktop entry, AppStream metadata, manual pages and changelog
# that pass their validators and agree on the application id and version.
#
# Usage: test_install.sh BUILD_DIR APP_ID VERSION
set -eu
build=$1 id=$2 version=$3

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
    echo share/man/man1/masume-batch.1.gz
    echo share/man/man1/masume.1.gz
    echo share/metainfo/$id.metainfo.xml
} | sort >"$work/expected"
(cd "$dest" && find . ! -type d | sed 's|^\./usr/local/||' | sort) >"$work/found"
diff -u "$work/expected" "$work/found" || fail "installed files differ from the expected list"

for program in masume masume-batch; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
done
"$prefix/bin/masume-batch" --help | grep -q '^usage: masume-batch' \
    || fail "the installed masume-batch does not run"

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

# The manual pages format without a warning, as man and lintian format them.
for page in masume.1 masume-batch.1; do
    out=$(gzip -dc "$prefix/share/man/man1/$page.gz" | groff -k -man -Tutf8 -ww -z 2>&1) \
        || fail "groff failed on $page"
    [ -z "$out" ] || fail "$page: $out"
done
# Every option of masume-batch is described in its manual page (where a
# "-" is written "\-").
gzip -dc "$prefix/share/man/man1/masume-batch.1.gz" >"$work/page"
for option in $("$prefix/bin/masume-batch" --help | grep -oE -- ' -(-[a-z-]+|[a-z])\b' | sort -u); do
    grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$work/page" \
        || fail "masume-batch.1 does not describe $option"
done
rm "$work/page"

[ $failures -eq 0 ] || exit 1
echo "installed and validated: $(wc -l <"$work/found") files"
