#!/bin/sh
# Re-upload of a generated site of 1,000 small files that are all unchanged, to an FTP
# server on loopback (the tests' pyftpdlib server): how long mavren-cli upload takes and
# how many FTP commands it sends, counted on the server's side. Three runs; each prints
# its time, then the best time and the commands of one run.
#
# usage: bench/upload/run.sh [BUILD-FOLDER]
set -eu
build=${1:-build}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$(cd "$build" && pwd)/mavren-cli"
work=$(mktemp -d)
server=""
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The site as a generation leaves it: index pages, content pages, the copied pictures and
# their thumbnails, 1,000 files in all.
site="$work/site"
mkdir -p "$site/Thumbs" "$work/root" "$work/config"
i=0
while [ $i -lt 10 ]; do
    printf '<html><body>index %d</body></html>\r\n' $i > "$site/$(printf 'INDEX%03d.HTM' $i)"
    i=$((i + 1))
done
i=0
while [ $i -lt 330 ]; do
    printf '<html><body>page %d</body></html>\r\n' $i > "$site/$(printf 'GEN%04d.HTM' $i)"
    head -c $((2000 + i)) /dev/zero > "$site/photo$i.jpg"
    head -c $((300 + i)) /dev/zero > "$site/Thumbs/TN_photo$i.jpg"
    i=$((i + 1))
done

/usr/bin/python3 "$source_dir/tests/upload/ftp_server.py" "$work/root" bench bench-pass \
    "$work/commands.log" > "$work/port" &
server=$!
tries=0
while [ ! -s "$work/port" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
port=$(head -n 1 "$work/port")

export XDG_CONFIG_HOME="$work/config"
echo bench-pass | "$cli" profile add bench --host "127.0.0.1:$port" --user bench \
    --password-stdin --directory site > /dev/null
cp "$source_dir/examples/photos.mav" "$work/site.mav"
"$cli" set "$work/site.mav" "Target-Dir=$site" > /dev/null
"$cli" upload "$work/site.mav" --profile bench --yes 2> /dev/null

best=""
for run in 1 2 3; do
    before=$(wc -l < "$work/commands.log")
    start=$(date +%s.%N)
    "$cli" upload "$work/site.mav" --profile bench 2> /dev/null
    end=$(date +%s.%N)
    after=$(wc -l < "$work/commands.log")
    commands=$((after - before))
    stored=$(tail -n "$commands" "$work/commands.log" | grep -c '^STOR ' || true)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    echo "run $run: $seconds s, $commands FTP commands, $stored files sent"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
        best=$seconds
    fi
done
echo "re-upload of 1000 unchanged files: best $best s, $commands FTP commands"
