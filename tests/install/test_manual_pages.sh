#!/bin/bash
# The Japanese manual pages against the English ones: the same header, the
# same sections in the same order, the same option and command items, the
# same grid kinds, synopsis, examples and references; each page formats
# without a warning; and each names every option of masume-batch's help in
# its language.
#
# Usage: test_manual_pages.sh DIST_DIR MASUME_BATCH
set -u
dist=$1 batch=$2

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The header's name, section, date and source (not the manual's title).
header() { awk '/^\.TH / { print $2, $3, $4, $5; exit }' "$1"; }
sectionCount() { grep -c '^\.SH ' "$1"; }
# The tag of each item: options, commands, exit statuses, variables.
itemTags() { awk '/^\.TP/ { getline; print }' "$1"; }
# What stands between .EX and .EE, block by block.
examples() { awk '/^\.EX/ { on = 1; next } /^\.EE/ { on = 0; print "--"; next } on' "$1"; }
# The second section: the synopsis, all macros.
synopsis() { awk '/^\.SH / { n++; next } n == 2' "$1"; }
# The bold words of the --kind item: the kinds and the default.
kinds() {
    awk '/^\.BI \\-\\-kind/ { on = 1; next }
        on && /^\.(TP|PP|SH)/ { exit }
        on && /^\.BR? / { print $2 }' "$1"
}
references() { grep -oE '^\.BR [^ ]+ \([0-9]\)' "$1" | sort -u; }

compare() {
    local what=$1 english=$2 japanese=$3 want got
    want=$("$what" "$english")
    got=$("$what" "$japanese")
    if [[ $want != "$got" ]]; then
        fail "$japanese differs from $english in $what:"
        diff <(echo "$want") <(echo "$got") >&2
    fi
}

for page in masume.1 masume-batch.1; do
    english=$dist/$page japanese=$dist/ja/$page
    [[ -f $japanese ]] || { fail "no Japanese page $japanese"; continue; }
    for what in header sectionCount itemTags examples synopsis kinds references; do
        compare "$what" "$english" "$japanese"
    done
    # As man formats them, and with every warning: a Japanese line that
    # cannot be broken or adjusted shows here.
    for file in "$english" "$japanese"; do
        out=$(groff -k -man -Tutf8 -ww "$file" 2>&1 >/dev/null) || fail "groff failed on $file"
        [[ -z $out ]] || fail "$file: $out"
    done
done
[[ $(kinds "$dist/masume-batch.1" | wc -l) -ge 7 ]] || fail "no kinds found in masume-batch.1"
[[ $(itemTags "$dist/masume-batch.1" | wc -l) -ge 10 ]] || fail "no items found in masume-batch.1"

# Every option of the help in each language is described in the page of
# that language (where a "-" is written "\-").
for run in "C $dist/masume-batch.1" "ja_JP.UTF-8 $dist/ja/masume-batch.1"; do
    read -r locale page <<<"$run"
    options=$(env -u LANGUAGE -u LC_MESSAGES LC_ALL="$locale" "$batch" --help |
        grep -oE -- ' -(-[a-z-]+|[a-z])\b' | sort -u)
    [[ -n $options ]] || fail "masume-batch --help under $locale names no options"
    for option in $options; do
        grep -qF -- "${option//-/\\-}" "$page" || fail "$page does not describe $option"
    done
done

((failures == 0)) || exit 1
echo "manual pages: the Japanese ones are in step with the English ones"
