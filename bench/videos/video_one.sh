#!/bin/sh
# The ffmpeg commands Mavren runs for one video (src/media/video_copies.cpp; keep them in
# step): the poster frame about a second in, with the seek before the input and turned as
# players show it, and the web copy: the streams copied when the video already plays in
# every browser and fits, else encoded to H.264 High and AAC, the shorter side at most SIZE
# and never larger, the index at the front; neither keeps the video's metadata nor names
# the software that made it.
#
# usage: bench/videos/video_one.sh VIDEO FOLDER SIZE   (writes FOLDER/NAME.png and .mp4)
set -eu
video=$1
out="$2/$(basename "$video")"
size=$3

ffmpeg -nostdin -v error -y -ss 1 -i "$video" -map 0:V:0 -frames:v 1 -c:v png -pix_fmt rgb24 \
    -map_metadata -1 "$out.png"

# Copied: H.264 in a profile every browser plays, yuv420p, AAC or no sound, nothing to
# turn, the shorter side within the size.
how=$(ffprobe -v error -show_entries \
    stream=codec_type,codec_name,profile,pix_fmt,width,height:stream_side_data=rotation \
    "$video" | awk -F= -v size="$size" '
    /^\[STREAM\]/ { split("", v) }
    /=/ { v[$1] = $2 }
    /^\[\/STREAM\]/ {
        if (v["codec_type"] == "video" && !video++) {
            short = v["width"] + 0 < v["height"] + 0 ? v["width"] : v["height"]
            ok = v["codec_name"] == "h264" && v["pix_fmt"] == "yuv420p" && short + 0 <= size &&
                (v["profile"] == "High" || v["profile"] == "Main" ||
                 v["profile"] == "Constrained Baseline") && v["rotation"] + 0 == 0
        } else if (v["codec_type"] == "audio" && !audio++) {
            sound = v["codec_name"] == "aac"
        }
    }
    END { print (ok && (!audio || sound)) ? "copy" : "encode" }')

if [ "$how" = copy ]; then
    ffmpeg -nostdin -v error -y -i "$video" -map 0:v:0 -map '0:a:0?' -c copy \
        -map_metadata -1 -map_chapters -1 -fflags +bitexact -movflags +faststart \
        -progress pipe:1 -nostats "$out.mp4" >/dev/null
else
    fit="min(1\,$size/min(iw\,ih))"
    ffmpeg -nostdin -v error -y -i "$video" -map 0:v:0 -map '0:a:0?' \
        -vf "scale=trunc(iw*$fit/2)*2:trunc(ih*$fit/2)*2" \
        -c:v libx264 -preset veryfast -crf 23 -profile:v high -pix_fmt yuv420p \
        -bsf:v filter_units=remove_types=6 -c:a aac -b:a 128k -af "aformat=channel_layouts=mono|stereo" \
        -map_metadata -1 -map_chapters -1 -fflags +bitexact -flags:v +bitexact \
        -flags:a +bitexact -movflags +faststart -progress pipe:1 -nostats "$out.mp4" >/dev/null
fi
