#!/bin/sh
# Makes the sample clip of examples/photos with ffmpeg: four seconds of colour gradients
# drifting through dusk colours (640 x 360, H.264 High, yuv420p) over a soft chord (AAC),
# the index at the front for the web, and nothing in it about the machine or the tools
# that made it: no metadata, no encoder settings, no encoder name.
#
# usage: scripts/make-sample-clip.sh [FILE]   (default: "examples/photos/Dusk Colours.mp4")
set -eu
out=${1:-examples/photos/Dusk Colours.mp4}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "gradients=s=640x360:r=25:speed=0.04:n=4:c0=0x1d2b53:c1=0x7e2553:c2=0xe07a5f:c3=0xf2cc8f:x0=0:y0=0:x1=640:y1=360" \
    -f lavfi -i "aevalsrc=0.08*sin(2*PI*220*t)+0.05*sin(2*PI*277.2*t)+0.04*sin(2*PI*329.6*t):s=44100:c=stereo" \
    -t 4 -af "afade=t=in:d=0.5,afade=t=out:st=3.3:d=0.7" \
    -c:v libx264 -profile:v high -pix_fmt yuv420p -preset slow -crf 23 \
    -bsf:v filter_units=remove_types=6 -c:a aac -b:a 48k \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$work/encoded.mp4"
# x264's settings travel in SEI units (dropped above); the encoder's name in the stream
# header goes only with a copy.
ffmpeg -hide_banner -loglevel error -y -i "$work/encoded.mp4" -c copy -map_metadata -1 \
    -fflags +bitexact -movflags +faststart "$out"
