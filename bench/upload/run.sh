#!/bin/sh
# First uploads to an FTP server on loopback (the tests' pyftpdlib server, plain and with
# TLS), mavren-cli upload against the tools a user would pick instead: lftp's
# "mirror -R" and one curl command for all the files. Two sites: 1,000 files of 10 KB
# and 100 files of 1 MB. Each tool uploads into an empty folder three times; the best
# time counts, and the ratio is Mavren's to the faster of the two others (target: at
# most 1.2). Then the re-check of 1,000 unchanged files (target: under 0.3 s).
#
# Then the same over a slow network: the server answers everything 25 ms late (a 25 ms
# round trip), plain FTP. Mavren (its default of 4 connections) against lftp's
# "mirror -R -P 4" and "rclone sync --transfers 4", each into an empty folder, the best
# of two runs; the ratio is Mavren's to the faster of the two (targets: at most 0.8 for
# the small files, 1.1 for the 1 MB files). Then the re-check of the unchanged small
# site (target: under 0.3 s), and once more against a server on the same folder whose
# clock is 5 hours ahead, with the number of files that re-check sent (it should be 0).
#
# Then S3: the tests' Ceph gateway (tests/support/s3_gateway.sh) on loopback, plain HTTP.
# Mavren (4 connections) against "rclone sync --transfers 4" and "s3cmd sync", each into
# an empty prefix of one bucket, the best of two runs; the ratio is Mavren's to the faster
# of the two (targets as over the network: 0.8 and 1.1). Then the re-check of the
# unchanged small site by each tool (Mavren's target: under 0.3 s), with the number of
# files Mavren sent (it should be 0).
#
# usage: bench/upload/run.sh [BUILD-FOLDER]
# MAVREN_BENCH_UPLOAD_PARTS ("loopback s3 network"), MAVREN_BENCH_UPLOAD_SITES ("small
# large") and MAVREN_BENCH_ROUNDS (3 on loopback, 2 over the network and to S3) run less.
set -eu
build=${1:-build}
parts=${MAVREN_BENCH_UPLOAD_PARTS:-loopback s3 network}
sites=${MAVREN_BENCH_UPLOAD_SITES:-small large}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cli="$(cd "$build" && pwd)/mavren-cli"
work=$(mktemp -d)
servers=""
gateway=""
cleanup() {
    [ -z "$gateway" ] || sh "$source_dir/tests/support/s3_gateway.sh" stop "$gateway"
    for pid in $servers; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

for tool in lftp curl rclone; do
    command -v $tool > /dev/null || { echo "bench/upload: $tool is missing (apt-get install $tool)"; exit 1; }
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
mkdir -p "$work/ftp-root" "$work/ftps-root" "$work/net-root"
start_server "$work/ftp-root" bench bench-pass "$work/ftp.log"
ftp_port=$server_port
start_server "$work/ftps-root" bench bench-pass "$work/ftps.log" --tls "$work/cert.pem"
ftps_port=$server_port
# The slow network, and a server on the same folder whose clock is 5 hours ahead.
start_server "$work/net-root" bench bench-pass "$work/net.log" --delay 25
net_port=$server_port
start_server "$work/net-root" bench bench-pass "$work/ahead.log" --delay 25 --clock-offset 18000
ahead_port=$server_port

# rclone reads its remote from the environment; a config file of its own keeps the
# user's out.
export RCLONE_CONFIG="$work/rclone.conf"
export RCLONE_CONFIG_BENCH_TYPE=ftp RCLONE_CONFIG_BENCH_HOST=127.0.0.1
export RCLONE_CONFIG_BENCH_PORT="$net_port" RCLONE_CONFIG_BENCH_USER=bench
RCLONE_CONFIG_BENCH_PASS=$(rclone obscure bench-pass)
export RCLONE_CONFIG_BENCH_PASS

export XDG_CONFIG_HOME="$work/config"
echo bench-pass | "$cli" profile add ftp --host "127.0.0.1:$ftp_port" --user bench \
    --password-stdin --directory target > /dev/null
echo bench-pass | "$cli" profile add ftps --protocol ftps --host "127.0.0.1:$ftps_port" \
    --user bench --password-stdin --directory target > /dev/null
echo bench-pass | "$cli" profile add net --host "127.0.0.1:$net_port" --user bench \
    --password-stdin --directory target > /dev/null
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
# protocol is ftp, ftps or net (plain FTP over the slow network).
upload_once() {
    tool=$1 protocol=$2 site=$3
    root="$work/$protocol-root"
    port=$ftp_port
    [ "$protocol" = ftps ] && port=$ftps_port
    [ "$protocol" = net ] && port=$net_port
    parallel=""
    [ "$protocol" = net ] && parallel="-P 4"
    rm -rf "$root/target"
    mkdir "$root/target"
    start=$(now)
    failed=no
    case $tool in
        mavren)
            "$cli" upload "$work/$site.mav" --profile "$protocol" 2> "$work/tool.err" || failed=yes ;;
        lftp)
            tls="set ftp:ssl-allow no"
            [ "$protocol" = ftps ] && tls="set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:verify-certificate no"
            lftp -u bench,bench-pass -e "$tls; mirror -R $parallel $work/$site target; quit" \
                "127.0.0.1:$port" > /dev/null 2> "$work/tool.err" || failed=yes ;;
        curl)
            tls=""
            # Over TLS 1.3 the server's late session tickets reset connections that
            # closed first, and the server keeps those files cut short.
            [ "$protocol" = ftps ] && tls="--ssl-reqd --insecure --tls-max 1.2"
            (cd "$work/$site" && curl -s -S $tls -u bench:bench-pass \
                $(for f in *; do printf -- '-T %s ftp://127.0.0.1:%s/target/%s ' "$f" "$port" "$f"; done) 2> "$work/tool.err") \
                || failed=yes ;;
        rclone)
            rclone sync --transfers 4 "$work/$site" bench:target > /dev/null 2> "$work/tool.err" \
                || failed=yes ;;
    esac
    end=$(now)
    if [ $failed = yes ]; then
        echo "bench/upload: $tool failed ($protocol, $site):" >&2
        tail -n 5 "$work/tool.err" >&2
        exit 1
    fi
    count=$(find "$root/target" -type f | wc -l)
    expected=$(find "$work/$site" -type f | wc -l)
    bytes=$(find "$root/target" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    expected_bytes=$(find "$work/$site" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    if [ "$count" -ne "$expected" ] || [ "$bytes" -ne "$expected_bytes" ]; then
        echo "bench/upload: $tool sent $count of $expected files, $bytes of $expected_bytes bytes" >&2
        exit 1
    fi
    elapsed "$start" "$end"
}

# The smaller of $4 and the time of one more upload by $1 over $2 of the site $3; a
# failed upload ends the benchmark.
keep_best() {
    seconds=$(upload_once "$1" "$2" "$3")
    smaller "$seconds" "$4"
}

# Files the server with the log $1 stored, whole or in part, after its first $2 lines.
files_stored() {
    tail -n +$(($2 + 1)) "$1" | grep -c '^~\(received\|incomplete\) ' || true
}

label_of() {
    if [ "$1" = small ]; then echo "1000 x 10 KB"; else echo "100 x 1 MB"; fi
}

wanted() {
    case " $parts " in *" $1 "*) return 0 ;; esac
    return 1
}

status=0
if wanted loopback; then
    for protocol in ftp ftps; do
        for site in $sites; do
            label=$(label_of $site)
            best_mavren="" best_lftp="" best_curl=""
            for run in $(seq "${MAVREN_BENCH_ROUNDS:-3}"); do
                best_mavren=$(keep_best mavren $protocol $site "$best_mavren")
                best_lftp=$(keep_best lftp $protocol $site "$best_lftp")
                best_curl=$(keep_best curl $protocol $site "$best_curl")
            done
            other=$(smaller "$best_lftp" "$best_curl")
            ratio=$(awk -v a="$best_mavren" -v b="$other" 'BEGIN { printf "%.2f", a / b }')
            verdict=ok
            awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }' || { verdict="over 1.2"; status=1; }
            echo "$protocol $label: mavren $best_mavren s, lftp $best_lftp s, curl $best_curl s;" \
                "ratio $ratio ($verdict)"
        done
    done
fi

# The re-check of the small site once more, everything unchanged, through the profile
# $2 to the server with the log $3; prints the title $1, the best time, the files each
# run sent and Mavren's last line.
recheck() {
    title=$1 profile=$2 log=$3
    best="" sent=""
    for run in 1 2 3; do
        lines=$(wc -l < "$log")
        start=$(now)
        "$cli" upload "$work/small.mav" --profile "$profile" 2> "$work/recheck.err"
        best=$(smaller "$(elapsed "$start" "$(now)")" "$best")
        sent="$sent${sent:+, }$(files_stored "$log" "$lines")"
    done
    verdict=ok
    awk -v s="$best" 'BEGIN { exit !(s < 0.3) }' || { verdict="not under 0.3 s"; status=1; }
    echo "$title: best $best s ($verdict); files sent: $sent; $(tail -n 1 "$work/recheck.err")"
}

if wanted loopback; then
    upload_once mavren ftp small > /dev/null
    recheck "re-check of 1000 unchanged files" ftp "$work/ftp.log"
fi

if wanted s3; then
    . "$(dirname "$0")/s3_part.sh"
fi

wanted network || exit $status
for site in $sites; do
    best_mavren="" best_lftp="" best_rclone=""
    for run in $(seq "${MAVREN_BENCH_ROUNDS:-2}"); do
        best_mavren=$(keep_best mavren net $site "$best_mavren")
        best_lftp=$(keep_best lftp net $site "$best_lftp")
        best_rclone=$(keep_best rclone net $site "$best_rclone")
    done
    other=$(smaller "$best_lftp" "$best_rclone")
    ratio=$(awk -v a="$best_mavren" -v b="$other" 'BEGIN { printf "%.2f", a / b }')
    target=0.8
    [ $site = large ] && target=1.1
    verdict=ok
    awk -v r="$ratio" -v t=$target 'BEGIN { exit !(r <= t) }' || { verdict="over $target"; status=1; }
    echo "25 ms away $(label_of $site): mavren $best_mavren s, lftp $best_lftp s," \
        "rclone $best_rclone s; ratio $ratio ($verdict)"
done

upload_once mavren net small > /dev/null
recheck "25 ms away, re-check of 1000 unchanged files" net "$work/net.log"
# The same folder through the same profile, now from a server that tells times 5 hours
# ahead (Mavren keeps three profiles at most, so the profile moves over).
# A record belongs to one server, so one upload there first (which finds the files the
# same by the listing and records them); the re-check then goes by the record alone.
"$cli" profile edit net --host "127.0.0.1:$ahead_port" > /dev/null
"$cli" upload "$work/small.mav" --profile net > /dev/null 2>&1
recheck "25 ms away, the same on a server 5 hours ahead" net "$work/ahead.log"
exit $status
