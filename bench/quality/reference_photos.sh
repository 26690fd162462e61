#!/bin/sh
# The reference photos of the picture benchmarks: real photos from Debian's wallpaper packages,
# fetched once with apt-get download into CACHE and kept there. Prints the folder that holds
# them.
#
# usage: bench/quality/reference_photos.sh CACHE
set -eu

cache=$1
for tool in apt-get dpkg-deb; do
    command -v $tool >/dev/null || { echo "reference photos: $tool is missing" >&2; exit 1; }
done

# Package, file in it, name in the set: JPEGs and PNGs (one with transparency, one with a
# colour profile), from 720 x 1440 to 6028 x 3391, landscape, portrait and square.
photos='
lomiri-wallpapers-20.04 usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg kleiber.jpg
lomiri-wallpapers-20.04 usr/share/backgrounds/Infinite-Sea_by_Aury88.jpg infinite-sea.jpg
ukui-wallpapers usr/share/backgrounds/string.jpg string.jpg
ukui-wallpapers usr/share/backgrounds/goldfish.png goldfish.png
plasma-workspace-wallpapers usr/share/wallpapers/Volna/contents/images/5120x2880.jpg volna.jpg
plasma-workspace-wallpapers usr/share/wallpapers/SafeLanding/contents/images/1622x2880.jpg safe-landing.jpg
plasma-workspace-wallpapers usr/share/wallpapers/Autumn/contents/images/2560x1600.jpg autumn.jpg
plasma-workspace-wallpapers usr/share/wallpapers/Shell/contents/images/720x1440.jpg shell.jpg
plasma-workspace-wallpapers usr/share/wallpapers/MilkyWay/contents/images/5120x2880.png milky-way.png
plasma-workspace-wallpapers usr/share/wallpapers/Canopee/contents/images/3840x2160.png canopee.png
plasma-workspace-wallpapers usr/share/wallpapers/Opal/contents/images/3840x2160.png opal.png
'

set_folder="$cache/photos"
mkdir -p "$set_folder" "$cache/debs"
echo "$photos" | while read -r package file name; do
    [ -n "$package" ] && [ ! -s "$set_folder/$name" ] || continue
    if ! ls "$cache/debs/${package}_"*.deb >/dev/null 2>&1; then
        (cd "$cache/debs" && apt-get download "$package" >/dev/null 2>&1)
    fi
    rm -rf "$cache/unpacked" && mkdir "$cache/unpacked"
    dpkg-deb -x "$(ls "$cache/debs/${package}_"*.deb | head -1)" "$cache/unpacked"
    cp "$cache/unpacked/$file" "$set_folder/$name"
    rm -rf "$cache/unpacked"
done
echo "$set_folder"
