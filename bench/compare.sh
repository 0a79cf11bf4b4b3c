#!/bin/sh
# make compare: masume-batch against libjpeg-turbo's own tools and the image
# tools Debian packages, as whole processes on the same generated photos.
#
# For a 6000 x 4000 and a 3000 x 2000 photo-like JPEG (made here by
# masume-compare-tool, never stored), each tool lays a black grid of
# one-pixel lines every 32 pixels over the photo and writes a JPEG of
# quality 90 (ffmpeg: its mjpeg encoder at -q:v 2; G'MIC: quality 90):
#
#   masume     masume-batch --kind square
#   pipe       djpeg -dct float | cjpeg -quality 90 -dct float -baseline
#              (no grid: decoding and encoding alone, the floor)
#   vips       vips boolean with a grid mask made beforehand (AND)
#   ffmpeg     the drawgrid filter
#   gmic       G'MIC's grid command
#   gm         GraphicsMagick -draw with the grid's lines
#   magick     ImageMagick 6 (Debian's convert-im6.q16) -draw with them
#
# Every output but the pipe's is checked to carry the grid. hyperfine times
# the runs (wall time: median; CPU: user + system, means; JSON in the work
# folder); GNU time measures each tool's peak memory (largest resident set
# of its processes). One table follows, each figure also as a ratio to
# masume's.
#
# Installs what it needs with apt-get (as root, or through sudo): this is
# the only target that brings in the peers. Usage, after `make build`:
#   bench/compare.sh [BUILD_FOLDER]       (RUNS=10 WARMUP=2 by default)
set -eu

BUILD=${1:-build}
RUNS=${RUNS:-10}
WARMUP=${WARMUP:-2}
CELL=32
BATCH=$BUILD/bin/masume-batch
TOOL=$BUILD/bin/masume-compare-tool
MAGICK=/usr/bin/convert-im6.q16 # Debian's, whatever `convert` is first on the PATH

for program in "$BATCH" "$TOOL"; do
    if [ ! -x "$program" ]; then
        echo "compare: $program is missing; run make build first" >&2
        exit 1
    fi
done

PACKAGES="hyperfine jq time libjpeg-turbo-progs libvips-tools imagemagick graphicsmagick \
ffmpeg gmic"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "compare: installing:$missing"
    SUDO=
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/masume-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT
# G'MIC keeps its configuration under HOME.
export HOME="$work"

# The grid's lines as drawing primitives for the -draw options, one per
# line: one pixel wide on x and y = CELL - 1, 2 CELL - 1, ... as masume
# draws them.
grid_lines() { # W H
    awk -v w="$1" -v h="$2" -v c="$CELL" 'BEGIN {
        for (x = c - 1; x < w; x += c) printf "line %d,0 %d,%d\n", x, x, h - 1
        for (y = c - 1; y < h; y += c) printf "line 0,%d %d,%d\n", y, w - 1, y }'
}

table="$work/table.txt"
: > "$table"

for size in 6000x4000 3000x2000; do
    W=${size%x*}
    H=${size#*x}
    dir="$work/$size"
    mkdir -p "$dir"
    in="$dir/photo.jpg"
    "$TOOL" photo "$W" "$H" "$in"
    "$TOOL" mask "$W" "$H" "$CELL" "$dir/mask.bmp"
    vips copy "$dir/mask.bmp" "$dir/mask.v"
    # GraphicsMagick reads them from a file; ImageMagick's security policy
    # forbids that, so it takes them in the option itself.
    grid_lines "$W" "$H" > "$dir/grid.mvg"
    lines=$(tr '\n' ' ' < "$dir/grid.mvg")

    names="masume pipe vips ffmpeg gmic gm magick"
    cmd_masume="$BATCH --kind square -o $dir/masume.jpg $in"
    cmd_pipe="djpeg -dct float $in | cjpeg -quality 90 -dct float -baseline > $dir/pipe.jpg"
    cmd_vips="vips boolean $in $dir/mask.v '$dir/vips.jpg[Q=90]' and"
    cmd_ffmpeg="ffmpeg -v error -y -i $in -vf drawgrid=w=$CELL:h=$CELL:t=1:c=black -q:v 2 $dir/ffmpeg.jpg"
    cmd_gmic="gmic -v -1 $in grid $CELL,$CELL o $dir/gmic.jpg,90"
    cmd_gm="gm convert $in +antialias -fill none -stroke black -strokewidth 1 -draw @$dir/grid.mvg -quality 90 $dir/gm.jpg"
    cmd_magick="$MAGICK $in +antialias -fill none -stroke black -strokewidth 1 -draw '$lines' -quality 90 $dir/magick.jpg"

    set --
    for n in $names; do
        eval "c=\$cmd_$n"
        sh -c "$c"
        if [ "$n" != pipe ] && ! "$TOOL" grid-check "$dir/$n.jpg" "$CELL"; then
            echo "compare: $n wrote no grid" >&2
            exit 1
        fi
        set -- "$@" -n "$n" "$c"
    done

    echo "compare: timing $size ($RUNS runs each)" >&2
    hyperfine --style basic --warmup "$WARMUP" --runs "$RUNS" \
        --export-json "$dir/hyperfine.json" "$@" >&2

    for n in $names; do
        eval "c=\$cmd_$n"
        peak=0
        for i in 1 2 3; do
            /usr/bin/time -f %M -o "$dir/rss" sh -c "$c"
            kib=$(tail -n 1 "$dir/rss")
            [ "$kib" -gt "$peak" ] && peak=$kib
        done
        jq -r --arg n "$n" --arg size "$size" --argjson kib "$peak" \
            '.results[] | select(.command == $n)
             | [$size, $n, .median, (.user + .system), ($kib / 1024)] | @tsv' \
            "$dir/hyperfine.json" >> "$table"
    done
done

host="$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), \
$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), \
$(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
echo
echo "Machine: $host"
echo "Each tool: a black grid every $CELL px over the photo, JPEG out; wall = median of $RUNS runs,"
echo "CPU = user + system of all its processes (mean), memory = largest resident set (of 3 runs),"
echo "bytes / pixel = that memory over the photo's pixels."
echo
awk -F'\t' '
    BEGIN { print "| photo | tool | wall (s) | CPU (s) | peak memory (MiB) | bytes / pixel | wall / masume | CPU / masume | memory / masume |"
            print "|---|---|---|---|---|---|---|---|---|" }
    $2 == "masume" { w[$1] = $3; c[$1] = $4; m[$1] = $5 }
    { row[NR] = $0 }
    END { for (i = 1; i <= NR; i++) { split(row[i], f, "\t"); split(f[1], d, "x")
              printf "| %s | %s | %.3f | %.3f | %.1f | %.2f | %.2f | %.2f | %.2f |\n", f[1], f[2], f[3], f[4], f[5],
                     f[5] * 1048576 / (d[1] * d[2]), f[3] / w[f[1]], f[4] / c[f[1]], f[5] / m[f[1]] } }' "$table"
