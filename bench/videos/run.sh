#!/bin/sh
# Times the videos of a photo site: ten clips of 1080p as a phone writes them (H.264 at a
# phone's bit rate with AAC sound, 10 to 30 s of testsrc2 with noise, so that nothing
# squeezes them for free; one of them HEVC in a .mov with a rotation flag), each given a
# poster frame and a web copy of at most 720p (H.264 High, CRF 23 at x264's veryfast
# preset, AAC, index at the front).
#
# (a) the ffmpeg commands Mavren runs for each video, run directly, two videos at a time;
# (b) mavren-cli generate of a new program over the clips: empty target, no record;
# (c) the same program again with nothing changed.
# Prints the seconds of each, the ratio b/a (target: at most 1.10) and c (target: under
# 0.2 s), each the best of MAVREN_BENCH_ROUNDS (2) rounds.
#
# usage: bench/videos/run.sh [BUILD]   (clips made once in $MAVREN_BENCH_CACHE/videos;
#        MAVREN_BENCH_CLIPS=N takes the first N clips, for a quick look;
#        MAVREN_BENCH_VIDEO_PARTS="direct" runs (a) alone)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
cli="$build/mavren-cli"
cache="${MAVREN_BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mavren-bench}"
rounds=${MAVREN_BENCH_ROUNDS:-2}
count=${MAVREN_BENCH_CLIPS:-10}
parts=${MAVREN_BENCH_VIDEO_PARTS:-direct mavren}
size=720

for tool in ffmpeg ffprobe exiftool /usr/bin/time; do
    command -v $tool >/dev/null || { echo "videos: $tool is missing (make bench installs it)"; exit 1; }
done

# The clips: name, seconds. The first is the HEVC .mov a phone turned on its side.
clips="turned.mov:12 clip01.mp4:10 clip02.mp4:12 clip03.mp4:15 clip04.mp4:18 clip05.mp4:20
clip06.mp4:22 clip07.mp4:25 clip08.mp4:28 clip09.mp4:30"
made="$cache/videos"
mkdir -p "$made"
echo "clips: $made (made once)"
n=0
for clip in $clips; do
    [ $n -lt "$count" ] || break
    n=$((n + 1))
    name=${clip%:*}
    seconds=${clip#*:}
    [ -s "$made/$name" ] && continue
    echo "  making $name ($seconds s)"
    partial="$made/partial-$name"
    pattern="testsrc2=s=1920x1080:r=30:d=$seconds"
    tone="sine=f=$((220 + 20 * n)):d=$seconds"
    case $name in
        *.mov)
            ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$pattern" -f lavfi -i "$tone" \
                -vf "noise=alls=12:allf=t" -c:v libx265 -preset ultrafast \
                -x265-params log-level=error -b:v 12M -tag:v hvc1 -pix_fmt yuv420p \
                -c:a aac -b:a 128k "$partial"
            # ffmpeg 5.1 writes no rotation of its own; the phone's flag goes in afterwards.
            exiftool -q -overwrite_original -Rotation=90 "$partial"
            ;;
        *)
            ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$pattern" -f lavfi -i "$tone" \
                -vf "noise=alls=12:allf=t" -c:v libx264 -preset veryfast -profile:v high \
                -pix_fmt yuv420p -b:v 16M -maxrate 20M -bufsize 20M \
                -c:a aac -b:a 128k "$partial"
            ;;
    esac
    mv "$partial" "$made/$name"
done

load_before=$(uptime | sed 's/.*load average: //')
work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-videos.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

corpus="$work/clips"
mkdir -p "$corpus"
n=0
for clip in $clips; do
    [ $n -lt "$count" ] || break
    n=$((n + 1))
    ln -s "$made/${clip%:*}" "$corpus/"
done
cat "$corpus"/* >/dev/null  # into the page cache, for both alike
total=$(for video in "$corpus"/*; do
    ffprobe -v error -show_entries format=duration -of csv=p=0 "$video"
done | awk '{ s += $1 } END { printf "%d", s }')

# Every clip through the ffmpeg commands Mavren runs for it (video_one.sh), two at a time.
cat >"$work/direct-run" <<EOF
rm -rf "$work/direct" && mkdir -p "$work/direct"
ls "$corpus"/* | xargs -P 2 -I{} sh "$here/video_one.sh" {} "$work/direct" $size
EOF

# Runs a command and appends its wall seconds to file $1.
measure() {
    out=$1
    shift
    if ! /usr/bin/time -f "%e" -o "$work/time" "$@" >/dev/null 2>"$work/stderr"; then
        cat "$work/stderr" >&2
        return 1
    fi
    cat "$work/time" >>"$out"
}

best() { sort -n | head -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }

: >"$work/times-direct"
: >"$work/times-cold"
: >"$work/times-warm"
mavren_failed=""
r=0
while [ $r -lt "$rounds" ]; do
    case " $parts " in *" direct "*)
        measure "$work/times-direct" sh "$work/direct-run" ;;
    esac
    case " $parts " in *" mavren "*)
        if [ -z "$mavren_failed" ]; then
            rm -rf "$work/site" "$work/programs" && mkdir -p "$work/site" "$work/programs"
            if "$cli" new --source "$corpus" --target "$work/site" --folder "$work/programs" \
                --name videos --yes >/dev/null &&
                measure "$work/times-cold" "$cli" generate --quiet "$work/programs/videos.mav"; then
                measure "$work/times-warm" "$cli" generate --quiet "$work/programs/videos.mav"
            else
                mavren_failed=yes
            fi
        fi
        ;;
    esac
    r=$((r + 1))
done

# What the direct run made is what the issue asks of a web copy.
if [ -s "$work/times-direct" ]; then
    for copy in "$work/direct"/*.mp4; do
        got=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,profile,pix_fmt \
            -of csv=p=0 "$copy")
        [ "$got" = "h264,High,yuv420p" ] || { echo "videos: $copy is $got"; exit 1; }
    done
fi

printf 'load average before: %s, after: %s\n' "$load_before" \
    "$(uptime | sed 's/.*load average: //')"
printf '%d clips of 1080p (one HEVC .mov turned 90 degrees), %d s in all, web copies of at most %dp, best of %d, %d cores\n' \
    "$n" "$total" "$size" "$rounds" "$(nproc)"
direct=""
if [ -s "$work/times-direct" ]; then
    direct=$(best <"$work/times-direct")
    printf '  ffmpeg directly, two at a time  %7.2f s\n' "$direct"
fi
if [ -s "$work/times-cold" ]; then
    cold=$(best <"$work/times-cold")
    warm=$(best <"$work/times-warm")
    if [ -n "$direct" ]; then
        printf '  mavren whole run                %7.2f s   / ffmpeg directly %s  (target <= 1.10)\n' \
            "$cold" "$(ratio "$cold" "$direct")"
    else
        printf '  mavren whole run                %7.2f s\n' "$cold"
    fi
    printf '  mavren warm rerun               %7.3f s   (target < 0.2 s)\n' "$warm"
elif [ -n "$mavren_failed" ]; then
    echo "  mavren whole run: mavren-cli new or generate failed (above)"
    exit 1
fi
