#!/bin/sh
# Runs every picture-reader fuzz target for a bounded time, or replays files.
#
#   fuzz/run-all.sh <bindir> <seconds>         each target for <seconds>
#   fuzz/run-all.sh <bindir> replay [files]    the regression files of
#       tests/picture/data (fuzz-<target>-*) and any files given, through
#       the target their name says (fuzz-bmp-..., fuzz-jpeg-..., ...)
#
# Seeds come from the shared fixtures, tests/picture/data, fuzz/seeds (Exif
# blocks written by exiftool, for fuzz_exif), and for PNG from
# tests/picture/make-png-cases.py (Debian's python3-png); the growing
# corpus and any crash files stay in <bindir>/../fuzz-work/<target>/.
# Exits non-zero when a target finds a crash or a replayed file fails.
set -eu

bindir=$(cd "$1" && pwd)
mode=$2
shift 2
src=$(cd "$(dirname "$0")/.." && pwd)
fixtures=${MASUME_FIXTURES:-$src/../shared/fixtures}
data=$src/tests/picture/data
work=$bindir/../fuzz-work
targets="bmp jpeg icon metafile png exif"

seeds() {
    case $1 in
    bmp) find "$fixtures/bmpsuite" -name '*.bmp' ;;
    jpeg) find "$fixtures/jpeg" -name '*.jpg' ;;
    icon) find "$data" -name '*.ico' ;;
    metafile) find "$data" -name '*.wmf' -o -name '*.emf' ;;
    png)
        /usr/bin/python3 "$src/tests/picture/make-png-cases.py" "$work/png/made" >&2
        find "$work/png/made" -name '*.png'
        ;;
    exif) find "$src/fuzz/seeds/exif" -type f ;;
    esac
    find "$data" -name "fuzz-$1-*"
}

if [ "$mode" = replay ]; then
    status=0
    for t in $targets; do
        files=$(find "$data" -name "fuzz-$t-*"; for f in "$@"; do case $(basename "$f") in fuzz-$t-*) echo "$f" ;; esac; done)
        [ -z "$files" ] && continue
        # shellcheck disable=SC2086
        "$bindir/fuzz_$t" $files >/dev/null 2>&1 || { echo "replay: fuzz_$t failed"; status=1; }
        echo "replay: fuzz_$t $(echo "$files" | wc -l) file(s)"
    done
    exit $status
fi

seconds=$mode
status=0
total=0
for t in $targets; do
    dir=$work/$t
    mkdir -p "$dir/corpus" "$dir/seeds" "$dir/crashes"
    seeds "$t" | while read -r f; do cp -f "$f" "$dir/seeds/"; done
    log=$dir/last-run.log
    rc=0
    "$bindir/fuzz_$t" "$dir/corpus" "$dir/seeds" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/crashes/" >"$log" 2>&1 || rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    runs=${runs:-0}
    total=$((total + runs))
    if [ "$rc" -ne 0 ]; then
        status=1
        echo "fuzz_$t: FINDING after $runs executions, see $log and $dir/crashes/"
    else
        echo "fuzz_$t: $runs executions in ${seconds}s, no finding"
    fi
done
echo "fuzz: $total executions in all"
exit $status
