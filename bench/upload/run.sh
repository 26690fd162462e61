#!/bin/sh
# First uploads to an FTP server on loopback (the tests' pyftpdlib server, plain and with
# TLS), mavren-cli upload against the tools a user would pick instead: lftp's
# "mirror -R" and one curl command for all the files. Two sites: 1,000 files of 10 KB
# and 100 files of 1 MB. Each tool uploads into an empty folder three times; the best
# time counts, and the ratio is Mavren's to the faster of the two others (target: at
# most 1.2). Then the re-check of 1,000 unchanged files (target: under 0.3 s).
#
# usage: bench/upload/run.sh [BUILD-FOLDER]
set -eu
build=${1:-build}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$(cd "$build" && pwd)/mavren-cli"
work=$(mktemp -d)
servers=""
cleanup() {
    for pid in $servers; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

for tool in lftp curl; do
    command -v $tool > /dev/null || { echo "bench/upload: $tool is missing"; exit 1; }
done

# The two sites: random bytes, so nothing on the way can squeeze them.
mkdir -p "$work/small" "$work/large" "$work/config"
head -c $((1000 * 10240)) /dev/urandom > "$work/small.bin"
head -c $((100 * 1048576)) /dev/urandom > "$work/large.bin"
(cd "$work/small" && split -a 4 -d -b 10240 ../small.bin page && for f in page*; do mv "$f" "$f.htm"; done)
(cd "$work/large" && split -a 3 -d -b 1048576 ../large.bin photo && for f in photo*; do mv "$f" "$f.jpg"; done)
rm "$work/small.bin" "$work/large.bin"

# Starts a server on root and sets server_port to its port. Not run in a command
# substitution: the subshell would keep the server's process id from the clean-up.
start_server() {
    /usr/bin/python3 "$source_dir/tests/upload/ftp_server.py" "$@" > "$work/port" &
    servers="$servers $!"
    tries=0
    while [ ! -s "$work/port" ] && [ $tries -lt 200 ]; do
        sleep 0.05
        tries=$((tries + 1))
    done
    server_port=$(cut -d ' ' -f 1 "$work/port")
    rm -f "$work/port"
}
mkdir -p "$work/ftp-root" "$work/ftps-root"
start_server "$work/ftp-root" bench bench-pass "$work/ftp.log"
ftp_port=$server_port
start_server "$work/ftps-root" bench bench-pass "$work/ftps.log" --tls "$work/cert.pem"
ftps_port=$server_port

export XDG_CONFIG_HOME="$work/config"
echo bench-pass | "$cli" profile add ftp --host "127.0.0.1:$ftp_port" --user bench \
    --password-stdin --directory target > /dev/null
echo bench-pass | "$cli" profile add ftps --protocol ftps --host "127.0.0.1:$ftps_port" \
    --user bench --password-stdin --directory target > /dev/null
for site in small large; do
    cp "$source_dir/examples/photos.mav" "$work/$site.mav"
    "$cli" set "$work/$site.mav" "Target-Dir=$work/$site" > /dev/null
done
# Trust the test certificate once, as a user answering Yes would.
"$cli" upload "$work/small.mav" --profile ftps --yes --dry-run > /dev/null 2>&1

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

# One first upload by one tool into an empty folder "target"; prints the seconds.
upload_once() {
    tool=$1 protocol=$2 site=$3
    root="$work/$protocol-root"
    port=$ftp_port
    [ "$protocol" = ftps ] && port=$ftps_port
    rm -rf "$root/target"
    mkdir "$root/target"
    start=$(now)
    case $tool in
        mavren)
            "$cli" upload "$work/$site.mav" --profile "$protocol" 2> /dev/null ;;
        lftp)
            tls="set ftp:ssl-allow no"
            [ "$protocol" = ftps ] && tls="set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:verify-certificate no"
            lftp -u bench,bench-pass -e "$tls; mirror -R $work/$site target; quit" \
                "127.0.0.1:$port" > /dev/null 2>&1 ;;
        curl)
            tls=""
            [ "$protocol" = ftps ] && tls="--ssl-reqd --insecure"
            (cd "$work/$site" && curl -s -S $tls -u bench:bench-pass \
                $(for f in *; do printf -- '-T %s ftp://127.0.0.1:%s/target/%s ' "$f" "$port" "$f"; done)) ;;
    esac
    end=$(now)
    count=$(find "$root/target" -type f | wc -l)
    expected=$(find "$work/$site" -type f | wc -l)
    if [ "$count" -ne "$expected" ]; then
        echo "bench/upload: $tool sent $count of $expected files" >&2
        exit 1
    fi
    elapsed "$start" "$end"
}

status=0
for protocol in ftp ftps; do
    for site in small large; do
        label="1000 x 10 KB"
        [ $site = large ] && label="100 x 1 MB"
        best_mavren="" best_lftp="" best_curl=""
        for run in 1 2 3; do
            best_mavren=$(smaller "$(upload_once mavren $protocol $site)" "$best_mavren")
            best_lftp=$(smaller "$(upload_once lftp $protocol $site)" "$best_lftp")
            best_curl=$(smaller "$(upload_once curl $protocol $site)" "$best_curl")
        done
        other=$(smaller "$best_lftp" "$best_curl")
        ratio=$(awk -v a="$best_mavren" -v b="$other" 'BEGIN { printf "%.2f", a / b }')
        verdict=ok
        awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }' || { verdict="over 1.2"; status=1; }
        echo "$protocol $label: mavren $best_mavren s, lftp $best_lftp s, curl $best_curl s;" \
            "ratio $ratio ($verdict)"
    done
done

# The re-check: the small site once more, everything unchanged.
upload_once mavren ftp small > /dev/null
best=""
for run in 1 2 3; do
    start=$(now)
    "$cli" upload "$work/small.mav" --profile ftp 2> "$work/recheck.err"
    best=$(smaller "$(elapsed "$start" "$(now)")" "$best")
done
verdict=ok
awk -v s="$best" 'BEGIN { exit !(s < 0.3) }' || { verdict="not under 0.3 s"; status=1; }
echo "re-check of 1000 unchanged files: best $best s ($verdict); $(tail -n 1 "$work/recheck.err")"
exit $status
