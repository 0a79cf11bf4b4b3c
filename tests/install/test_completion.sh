#!/bin/bash
# The bash completion of masume-batch, loaded through bash-completion as an
# interactive shell loads it, completing command lines as bash splits them:
# options, kind names, folders, any file, pictures. The options and kinds
# offered are those masume-batch takes, and the kinds those its help and its
# manual page name.
#
# Usage: test_completion.sh COMPLETION_FILE MASUME_BATCH MANUAL_PAGE
set -u
completion=$1 batch=$2 manual=$3

source /usr/share/bash-completion/bash_completion
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch -- a.jpg b.BMP c.txt d.jpeg 'e f.JPG' g.png -x.jpg
mkdir out sub
touch sub/h.jpg

failures=0

# The candidates for LINE completed at its end, sorted, one a line. Words
# are split at blanks, and "=" stands alone, as COMP_WORDBREAKS has it.
candidates()
{
    local line=$1
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"${line//=/ = }"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _masume_batch masume-batch "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}

expect()
{
    local line=$1 want got
    shift
    want=$(printf '%s\n' "$@" | LC_ALL=C sort | sed '/^$/d')
    got=$(candidates "$line")
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line' offers [${got//$'\n'/, }], expected [${want//$'\n'/, }]" >&2
        failures=$((failures + 1))
    fi
}

kinds=(none square diamond rows columns hex-rows hex-columns)
expect 'masume-batch --k' --kind
expect 'masume-batch --kind ' "${kinds[@]}"
expect 'masume-batch --kind hex' hex-rows hex-columns
expect 'masume-batch --kind=hex' hex-rows hex-columns
expect 'masume-batch --kind square --w' --without-grid
expect 'masume-batch --format ' bmp jpeg png
expect 'masume-batch --sampling ' 4:2:0 4:4:4
expect 'masume-batch --quality '
# Pictures of any case of .bmp, .jpg, .jpeg and .png, and folders to reach
# them.
expect 'masume-batch ' a.jpg b.BMP d.jpeg 'e f.JPG' g.png -x.jpg out sub
expect 'masume-batch --kind square a.jpg ' a.jpg b.BMP d.jpeg 'e f.JPG' g.png -x.jpg out sub
expect 'masume-batch sub/' sub/h.jpg
expect 'masume-batch -o ' a.jpg b.BMP c.txt d.jpeg 'e f.JPG' g.png -x.jpg out sub
expect 'masume-batch --out-dir ' out sub
expect 'masume-batch --out-dir=' out sub
expect 'masume-batch --size '
expect 'masume-batch --color '
# After "--" every word is an input, also one beginning with "-".
expect 'masume-batch -- -' -x.jpg

# The options offered are exactly those of the usage text; every kind
# offered is taken.
offered=$(candidates 'masume-batch -' | grep -v '^--$')
taken=$(LC_ALL=C "$batch" --help | grep -oE -- ' -(-[a-z-]+|[a-z])\b' | sed 's/^ //' | LC_ALL=C sort -u)
if [[ $offered != "$taken" ]]; then
    echo "FAIL: options offered [${offered//$'\n'/ }], taken [${taken//$'\n'/ }]" >&2
    failures=$((failures + 1))
fi
for kind in $(candidates 'masume-batch --kind '); do
    "$batch" --kind "$kind" --help >/dev/null 2>&1 || {
        echo "FAIL: masume-batch does not take the offered kind $kind" >&2
        failures=$((failures + 1))
    }
done

# The kinds offered, those the help names for --kind and those the manual
# page names for it are the same.
offeredKinds=$(candidates 'masume-batch --kind ' | tr '\n' ' ')
helpKinds=$(LC_ALL=C "$batch" --help | tr '\n' ' ' | sed 's/.*--kind K *//; s/, *or the kind code.*//; s/,//g' |
    tr -s ' ' '\n' | LC_ALL=C sort | tr '\n' ' ')
manualKinds=$(awk '/^\.BI \\-\\-kind/ { on = 1; next }
    on && /kind code/ { exit }
    on && /^\.BR? / { gsub(/\\-/, "-", $2); print $2 }' "$manual" | LC_ALL=C sort | tr '\n' ' ')
wantKinds=$(printf '%s\n' "${kinds[@]}" | LC_ALL=C sort | tr '\n' ' ')
for named in "help:$helpKinds" "manual page:$manualKinds" "completion:$offeredKinds"; do
    if [[ ${named#*:} != "$wantKinds" ]]; then
        echo "FAIL: the ${named%%:*} names the kinds [${named#*:}], expected [$wantKinds]" >&2
        failures=$((failures + 1))
    fi
done

((failures == 0)) || exit 1
echo "completion: all cases pass"
