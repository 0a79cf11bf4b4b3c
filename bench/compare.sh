#!/bin/sh
# make compare: masume-batch against libjpeg-turbo's own tools and the image
# tools Debian packages, as whole processes on the same generated photos.
#
# For each photo-like JPEG (made here by masume-compare-tool a row at a
# time, never stored, never held whole), each tool lays a black grid of
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
# PNG_SIZES (6000x4000) set masume-batch writing a PNG of compression level
# 1 with the Up filter against vips writing the same (pngsave compression=1,
# filter=up) and ImageMagick at level 1 (-quality 15: its adaptive filters,
# as Debian's ImageMagick 6 writes no filter at all when one is chosen),
# all 8-bit RGB from the same JPEG photo.
#
# SIZES (6000x4000 and 3000x2000) meet every tool; SCALE_SIZES (12000x8000,
# 20000x2000, 20000x20000, 40000x40000) only masume, the pipe and vips,
# which pass pictures on as rows: the others hold them whole, and at
# 40000 x 40000 that is tens of gigabytes. A size is skipped with a line
# where the disk has no room for its files; each size's files are removed
# once it is measured.
#
# Every output but the pipe's is checked to carry the grid. hyperfine times
# the runs (wall time: median; CPU: user + system, means; JSON in the work
# folder); GNU time measures each tool's peak memory (largest resident set
# of its processes). One table follows, each figure also as a ratio to
# masume's. Then masume-batch converts the 40000 x 40000 photo again inside
# a memory cgroup of 1 GiB, and its output is compared byte for byte with
# the one it wrote outside.
#
# Installs what it needs with apt-get (as root, or through sudo): this is
# the only target that brings in the peers. Usage, after `make build`:
#   bench/compare.sh [BUILD_FOLDER]
# with RUNS=10 WARMUP=2 for SIZES and PNG_SIZES and RUNS_LARGE=3 (no
# warm-up but the checked run) for SCALE_SIZES by default; SIZES=,
# SCALE_SIZES= or PNG_SIZES= (empty) leaves a group out.
set -eu

BUILD=${1:-build}
RUNS=${RUNS:-10}
WARMUP=${WARMUP:-2}
RUNS_LARGE=${RUNS_LARGE:-3}
SIZES=${SIZES-6000x4000 3000x2000}
SCALE_SIZES=${SCALE_SIZES-12000x8000 20000x2000 20000x20000 40000x40000}
PNG_SIZES=${PNG_SIZES-6000x4000}
CGROUP_SIZE=${CGROUP_SIZE:-40000x40000}
CGROUP_BYTES=1073741824
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
group=""
cleanup() {
    if [ -n "$group" ]; then
        rmdir "$group" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
# G'MIC keeps its configuration under HOME.
export HOME="$work"

table="$work/table.txt" # photo, tool, wall, CPU, peak MiB; tab-separated
notes="$work/notes.txt" # lines printed after the table
: > "$table"
: > "$notes"

# The grid's lines as drawing primitives for the -draw options, one per
# line: one pixel wide on x and y = CELL - 1, 2 CELL - 1, ... as masume
# draws them.
grid_lines() { # W H
    awk -v w="$1" -v h="$2" -v c="$CELL" 'BEGIN {
        for (x = c - 1; x < w; x += c) printf "line %d,0 %d,%d\n", x, x, h - 1
        for (y = c - 1; y < h; y += c) printf "line 0,%d %d,%d\n", y, w - 1, y }'
}

# Whether the work folder's disk has room for a size's files: the photo,
# vips's mask (1 byte a pixel, twice while it is made) and the outputs: at
# most 3 bytes a pixel in all (the photo at quality 90 takes about 0.2),
# with 256 MiB to spare.
room_for() { # W H
    need=$(($1 * $2 * 3 / 1024 + 262144))
    have=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
    [ "$have" -ge "$need" ] && return 0
    echo "${1}x$2: skipped, its files need $((need / 1024)) MiB and the disk of $work has" \
        "$((have / 1024)) MiB free" | tee -a "$notes" >&2
    return 1
}

mib() { # BYTES
    awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'
}

# Runs a shell command under GNU time; prints its peak resident set in KiB.
peak_kib() { # COMMAND
    /usr/bin/time -f %M -o "$work/rss" sh -c "$1"
    tail -n 1 "$work/rss"
}

# One size written as one format (jpg or png): its photo (and vips's mask),
# every tool run once for its output, which is checked, and for its peak
# memory, then more runs for the peak (the largest counts), then the
# timings; rows of the table, whose photo column names the format when it
# is PNG.
measure() { # SIZE FORMAT RUNS WARMUP MEMORY_RUNS TOOL...
    size=$1 format=$2 runs=$3 warmup=$4 memory_runs=$5
    shift 5
    names="$*"
    W=${size%x*}
    H=${size#*x}
    label=$size
    [ "$format" = png ] && label="$size PNG"
    if ! room_for "$W" "$H"; then
        [ "$size" != "$CGROUP_SIZE" ] \
            || echo "$CGROUP_SIZE in a memory cgroup of 1 GiB: not run, the size was skipped" >> "$notes"
        return 0
    fi
    dir="$work/$size-$format"
    mkdir -p "$dir"
    in="$dir/photo.jpg"
    echo "compare: making the $size photo" >&2
    "$TOOL" photo "$W" "$H" "$in"
    case " $names " in *" vips "*)
        # vips reads its own format by mapping the file a part at a time,
        # where its PGM reader would hold the mask whole: the PGM's pixels
        # go into that format through vips's raw reader, which maps them as
        # well.
        "$TOOL" mask "$W" "$H" "$CELL" "$dir/mask.pgm"
        header=$(printf 'P5\n%d %d\n255\n' "$W" "$H" | wc -c)
        vips rawload "$dir/mask.pgm" "$dir/mask.v" "$W" "$H" 1 --offset "$header"
        rm "$dir/mask.pgm" ;;
    esac
    case " $names " in *" gm "* | *" magick "*)
        # GraphicsMagick reads them from a file; ImageMagick's security
        # policy forbids that, so it takes them in the option itself.
        grid_lines "$W" "$H" > "$dir/grid.mvg"
        lines=$(tr '\n' ' ' < "$dir/grid.mvg") ;;
    esac

    cmd_masume="$BATCH --kind square -o $dir/masume.$format $in"
    cmd_pipe="djpeg -dct float $in | cjpeg -quality 90 -dct float -baseline > $dir/pipe.jpg"
    cmd_vips="vips boolean $in $dir/mask.v '$dir/vips.jpg[Q=90]' and"
    cmd_ffmpeg="ffmpeg -v error -y -i $in -vf drawgrid=w=$CELL:h=$CELL:t=1:c=black -q:v 2 $dir/ffmpeg.jpg"
    cmd_gmic="gmic -v -1 $in grid $CELL,$CELL o $dir/gmic.jpg,90"
    cmd_gm="gm convert $in +antialias -fill none -stroke black -strokewidth 1 -draw @$dir/grid.mvg -quality 90 $dir/gm.jpg"
    cmd_magick="$MAGICK $in +antialias -fill none -stroke black -strokewidth 1 -draw '${lines:-}' -quality 90 $dir/magick.jpg"
    if [ "$format" = png ]; then
        cmd_vips="vips boolean $in $dir/mask.v '$dir/vips.png[compression=1,filter=up]' and"
        cmd_magick="$MAGICK $in +antialias -fill none -stroke black -strokewidth 1 -draw '${lines:-}' -define png:color-type=2 -depth 8 -quality 15 $dir/magick.png"
    fi

    set --
    for n in $names; do
        eval "c=\$cmd_$n"
        peak=$(peak_kib "$c")
        if [ "$n" != pipe ] && ! "$TOOL" grid-check "$dir/$n.$format" "$CELL"; then
            echo "compare: $n wrote no grid" >&2
            exit 1
        fi
        i=1
        while [ "$i" -lt "$memory_runs" ]; do
            kib=$(peak_kib "$c")
            [ "$kib" -gt "$peak" ] && peak=$kib
            i=$((i + 1))
        done
        eval "peak_$n=$peak"
        set -- "$@" -n "$n" "$c"
    done

    echo "compare: timing $label ($runs runs each)" >&2
    hyperfine --style basic --warmup "$warmup" --runs "$runs" \
        --export-json "$work/$size-$format.json" "$@" >&2

    for n in $names; do
        eval "kib=\$peak_$n"
        jq -r --arg n "$n" --arg size "$label" --argjson kib "$kib" \
            '.results[] | select(.command == $n)
             | [$size, $n, .median, (.user + .system), ($kib / 1024)] | @tsv' \
            "$work/$size-$format.json" >> "$table"
    done
    if [ "$size" = "$CGROUP_SIZE" ] && [ "$format" = jpg ]; then
        in_cgroup "$dir"
    fi
    rm -rf "$dir"
}

# The memory controller's folder of this shell, as "v1 FOLDER" or
# "v2 FOLDER": v1's where /proc/self/cgroup lists a memory hierarchy,
# otherwise the v2 hierarchy's ("0::PATH"); nothing where neither is there.
memory_cgroup() {
    awk -F: '
        ("," $2 ",") ~ /,memory,/ { v1 = $3 }
        $1 == "0" && $2 == "" { v2 = $3 }
        END { if (v1 != "") print "v1 /sys/fs/cgroup/memory" v1
              else if (v2 != "") print "v2 /sys/fs/cgroup" v2 }' /proc/self/cgroup
}

# masume-batch on the photo in DIR again, inside a child memory cgroup of
# 1 GiB: its exit, whether its output has the bytes of the one written
# outside (DIR/masume.jpg), its peak resident set and the group's peak
# (which counts the page cache of the files it reads and writes as well).
in_cgroup() { # DIR
    what="$CGROUP_SIZE in a memory cgroup of 1 GiB"
    found=$(memory_cgroup)
    version=${found%% *}
    own=${found#* }
    group="$own/masume-compare-$$"
    if [ -z "$found" ] || ! mkdir "$group" 2>/dev/null; then
        echo "$what: skipped, no memory cgroup can be made under ${own:-/sys/fs/cgroup}" >> "$notes"
        group=""
        return 0
    fi
    if [ "$version" = v1 ]; then
        limit=$group/memory.limit_in_bytes peak_file=$group/memory.max_usage_in_bytes
    else
        limit=$group/memory.max peak_file=$group/memory.peak
    fi
    if ! { echo "$CGROUP_BYTES" > "$limit"; } 2>/dev/null \
        || [ "$(cat "$limit" 2>/dev/null)" != "$CGROUP_BYTES" ]; then
        echo "$what: skipped, no limit can be set in $group (cgroup v2 needs the memory" \
            "controller delegated)" >> "$notes"
        rmdir "$group"
        group=""
        return 0
    fi
    echo "compare: masume-batch on the $CGROUP_SIZE photo in a memory cgroup of 1 GiB" >&2
    status=0
    /usr/bin/time -f "%e %M" -o "$work/cgroup-time" \
        sh -c 'echo $$ > "$1/cgroup.procs" && shift && exec "$@"' sh "$group" \
        "$BATCH" --kind square -o "$1/masume-cgroup.jpg" "$1/photo.jpg" || status=$?
    group_peak=$(cat "$peak_file" 2>/dev/null || true)
    rmdir "$group" || true
    group=""
    # GNU time puts a line before the figures when a signal ended the
    # program (the kernel's OOM killer).
    read -r wall kib <<EOF
$(tail -n 1 "$work/cgroup-time")
EOF
    if [ "$status" -eq 0 ] && cmp -s "$1/masume.jpg" "$1/masume-cgroup.jpg"; then
        same=yes
    else
        same=NO
    fi
    [ "$version" = v1 ] && counted=max_usage_in_bytes || counted=memory.peak
    echo "$what (cgroup $version): exit $status, the same bytes as outside: $same," \
        "${wall:-?} s, peak memory $(mib $((${kib:-0} * 1024))) MiB (the group's $counted:" \
        "$([ -n "$group_peak" ] && mib "$group_peak" || echo ?) MiB, the page cache of its files" \
        "included)" >> "$notes"
}

for size in $SIZES; do
    measure "$size" jpg "$RUNS" "$WARMUP" 3 masume pipe vips ffmpeg gmic gm magick
done
for size in $PNG_SIZES; do
    measure "$size" png "$RUNS" "$WARMUP" 3 masume vips magick
done
for size in $SCALE_SIZES; do
    measure "$size" jpg "$RUNS_LARGE" 0 1 masume pipe vips
done
case " $SCALE_SIZES " in *" $CGROUP_SIZE "*) ;; *)
    echo "$CGROUP_SIZE in a memory cgroup of 1 GiB: not run ($CGROUP_SIZE is not among" \
        "SCALE_SIZES)" >> "$notes" ;;
esac

host="$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), \
$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), \
$(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r), \
load $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo
echo "Machine: $host"
echo "Each tool: a black grid every $CELL px over the JPEG photo, JPEG out (PNG out in the PNG rows);"
echo "all whole processes."
echo "Wall: the median of $RUNS runs after $WARMUP warm-up runs (${SIZES:-none}; PNG: ${PNG_SIZES:-none}),"
echo "      of $RUNS_LARGE runs without warm-up (${SCALE_SIZES:-none})."
echo "CPU: user + system of all its processes (mean). Memory: the largest resident set (of 3 runs;"
echo "of 1 for the scale sizes); bytes / pixel: that memory over the photo's pixels."
echo
awk -F'\t' '
    BEGIN { print "| photo | tool | wall (s) | CPU (s) | peak memory (MiB) | bytes / pixel | wall / masume | CPU / masume | memory / masume |"
            print "|---|---|---|---|---|---|---|---|---|" }
    $2 == "masume" { w[$1] = $3; c[$1] = $4; m[$1] = $5 }
    { row[NR] = $0 }
    END { for (i = 1; i <= NR; i++) { split(row[i], f, "\t"); split(f[1], d, "x")
              printf "| %s | %s | %.3f | %.3f | %.1f | %.3f | %.2f | %.2f | %.2f |\n", f[1], f[2], f[3], f[4], f[5],
                     f[5] * 1048576 / (d[1] * d[2]), f[3] / w[f[1]], f[4] / c[f[1]], f[5] / m[f[1]] } }' "$table"
# Memory against height: each tool's peak at 20000 x 20000 over its peak at
# 20000 x 2000.
awk -F'\t' '
    $1 == "20000x2000" { short[$2] = $5 }
    $1 == "20000x20000" { tall[$2] = $5; order[++n] = $2 }
    END { line = ""
          for (i = 1; i <= n; i++) if (order[i] in short)
              line = line sprintf("%s%s %.2f", line == "" ? "" : ", ", order[i], tall[order[i]] / short[order[i]])
          if (line != "") print "\nPeak memory at 20000x20000 over that at 20000x2000: " line } ' "$table"
if [ -s "$notes" ]; then
    echo
    cat "$notes"
fi
