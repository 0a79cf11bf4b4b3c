#!/bin/sh
# The AppStream metadata as a packager configures it: without the project's
# addresses (the default) it names no homepage and no screenshot; with them
# it names the homepage and each screenshot of docs/ under the given folder.
# Either way it passes appstreamcli's strict and pedantic checks without one
# remark.
#
# Usage: test_metainfo.sh CMAKE SOURCE_DIR APP_ID
set -eu
cmake=$1 source=$2 id=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

write() {
    "$cmake" -DMASUME_APP_ID="$id" "$@" -P "$source/dist/Metainfo.cmake" \
        || fail "Metainfo.cmake failed with $*"
}
validate() {
    out=$(appstreamcli validate --no-net --strict --pedantic "$1" 2>&1) \
        || fail "appstreamcli refuses $1: $out"
    [ "$out" = "✔ Validation was successful." ] || fail "appstreamcli remarks on $1: $out"
}

plain=$work/plain/$id.metainfo.xml
write -DOUTPUT="$plain"
validate "$plain"
grep -q '<url' "$plain" && fail "the metadata names an address of its own accord"
grep -q '<screenshot' "$plain" && fail "the metadata names screenshots of its own accord"

published=$work/published/$id.metainfo.xml
write -DMASUME_HOMEPAGE=https://example.org/masume/ \
    -DMASUME_SCREENSHOTS=https://example.org/masume/docs// -DOUTPUT="$published"
validate "$published"
grep -qF '<url type="homepage">https://example.org/masume/</url>' "$published" \
    || fail "the metadata lacks the homepage set"
images=$(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$published" | sort)
expected=$(cd "$source/docs" && ls -- *.png | sed 's|^|https://example.org/masume/docs/|' | sort)
[ "$images" = "$expected" ] || fail "the screenshots are [$images], expected [$expected]"

[ $failures -eq 0 ] || exit 1
echo "metainfo: validates without and with the project's addresses"
