#!/bin/sh
# Lighthouse scores (performance, accessibility, best practices, SEO; a phone, as
# Lighthouse emulates one by default) of a site of 40 photos made from the travel samples
# (examples/travel, up to 1920 pixels: crops and mirror images, each with a caption) as a new
# picture program makes it, in every installed theme: the first index page and the first
# photo page, served by Python's HTTP server and measured in
# Debian's chromium, each page three times (MAVREN_LIGHTHOUSE_RUNS), the median shown: the
# performance score moves with the machine's load. A measurement, not a test: the goal is
# 95 or more everywhere, and the script fails only when something cannot run. Lighthouse
# comes from npm into bench/lighthouse/node_modules (installed here when missing).
#
# usage: bench/lighthouse/run.sh [BUILD [REPORTS]]   (REPORTS: a folder to keep the JSON
#        reports in, THEME-PAGE-RUN.json, for the details behind a score)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-build}" && pwd)
reports=${2:-}
runs=${MAVREN_LIGHTHOUSE_RUNS:-3}
cli="$build/mavren-cli"
export CHROME_PATH="${MAVREN_CHROMIUM:-/usr/bin/chromium}"

for tool in node npm python3 "$CHROME_PATH"; do
    command -v "$tool" >/dev/null || { echo "lighthouse: $tool is missing (make test-deps installs it)"; exit 1; }
done
[ -x "$cli" ] || { echo "lighthouse: $cli is missing; build mavren-cli first"; exit 1; }
if [ ! -f "$here/node_modules/.package-lock.json" ] ||
    [ "$here/package-lock.json" -nt "$here/node_modules/.package-lock.json" ]; then
    npm ci --prefix "$here" --no-audit --no-fund --loglevel=error
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mavren-bench-lighthouse.XXXXXX")
server=
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

command -v vips >/dev/null || { echo "lighthouse: vips is missing (make test-deps installs it)"; exit 1; }
mkdir -p "$work/site" "$work/photos"
n=0
while [ $n -lt 40 ]; do
    for sample in "$root"/examples/travel/*.jpg; do
        # Crops of 80 % from four corners, every other one mirrored: 40 different photos.
        width=$(vipsheader -f width "$sample")
        height=$(vipsheader -f height "$sample")
        left=$(((n / 4 % 2) * width / 5))
        top=$(((n / 8 % 2) * height / 5))
        photo="$work/photos/$(printf '%02d' $n) $(basename "$sample")"
        vips crop "$sample" "$work/crop.v" $left $top $((width * 4 / 5)) $((height * 4 / 5))
        if [ $((n / 16 % 2)) -eq 1 ]; then
            vips flip "$work/crop.v" "$photo[Q=88]" horizontal
        else
            vips copy "$work/crop.v" "$photo[Q=88]"
        fi
        exiftool -q -overwrite_original "-ImageDescription=$(basename "$sample" .jpg), view $n" \
            "-DateTimeOriginal=2024:06:01 08:$(printf '%02d' $n):00" "$photo"
        n=$((n + 1))
    done
done
program=$("$cli" new --source "$work/photos" --target "$work/site" --folder "$work" \
    --name travel --yes)
"$cli" set "$program" "Index-Page-Title=A week by the fjords" >/dev/null

# Port 0: the server picks a free one and names it on its first line.
python3 -u -m http.server --bind 127.0.0.1 --directory "$work/site" 0 >"$work/server.log" 2>&1 &
server=$!
port=
while [ -z "$port" ]; do
    kill -0 "$server" 2>/dev/null || { cat "$work/server.log"; exit 1; }
    sleep 0.1
    port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server.log" | head -1)
done

load_before=$(uptime | sed 's/.*load average: //')
printf '%-8s %-13s %5s %5s %5s %5s   (median of %d runs)\n' theme page perf a11y best seo "$runs"
for theme in $("$cli" themes | awk '$1 != "none" { print $1 }'); do
    "$cli" theme "$program" "$theme" --yes >/dev/null
    "$cli" generate --quiet "$program" >"$work/generate.log" 2>&1 || { cat "$work/generate.log"; exit 1; }
    # The first photo's page, whatever its name: the first entry's link on the index page.
    photo_page=$(grep -o '<A HREF="[^"]*"' "$work/site/INDEX000.HTM" | sed 's/<A HREF="//; s/"$//' |
        grep -v -e '^INDEX' -e '^index\.html$' -e '^\.\./' | head -1)
    for page in INDEX000.HTM "$photo_page"; do
        run=1
        while [ $run -le "$runs" ]; do
            node "$here/node_modules/lighthouse/cli/index.js" "http://127.0.0.1:$port/$page" \
                --only-categories=performance,accessibility,best-practices,seo \
                --chrome-flags="--headless=new --no-sandbox --disable-gpu" \
                --output=json --output-path="$work/$theme-$page-$run.json" --quiet
            run=$((run + 1))
        done
        node "$here/summary.mjs" "$theme" "$page" "$work/$theme-$page"-*.json
        if [ -n "$reports" ]; then
            mkdir -p "$reports" && cp "$work/$theme-$page"-*.json "$reports/"
        fi
    done
done
printf 'load average before: %s, after: %s\n' "$load_before" "$(uptime | sed 's/.*load average: //')"
