# shellcheck shell=sh disable=SC2154
# The S3 part of bench/upload/run.sh, sourced by it: uses its work, cli, source_dir,
# sites, status, gateway and helpers (now, elapsed, smaller, label_of), and sets status.
for tool in rclone s3cmd; do
    command -v $tool > /dev/null || { echo "bench/upload: $tool is missing (apt-get install $tool)"; exit 1; }
done

# Not in a command substitution, so that the gateway outlives this shell only as long as
# the benchmark runs.
gateway="$work/s3-gateway"
if ! sh "$source_dir/tests/support/s3_gateway.sh" start "$gateway" > "$work/s3-gateway.txt"; then
    cat "$work/s3-gateway.txt"
    echo "bench/upload: the S3 gateway did not start" >&2
    exit 1
fi
read -r s3_port s3_key s3_secret < "$work/s3-gateway.txt"
s3_log="$gateway/log/ceph-client.rgw.gw.log"

curl -s -S -f -X PUT --aws-sigv4 "aws:amz:us-east-1:s3" --user "$s3_key:$s3_secret" \
    -H "x-amz-content-sha256: UNSIGNED-PAYLOAD" "http://127.0.0.1:$s3_port/bench" > /dev/null

# The gateway speaks plain HTTP; a CA bundle named for HTTPS makes rclone's S3 library
# fail before it connects.
unset AWS_CA_BUNDLE
export RCLONE_CONFIG_S3_TYPE=s3 RCLONE_CONFIG_S3_PROVIDER=Ceph
export RCLONE_CONFIG_S3_ENDPOINT="http://127.0.0.1:$s3_port" RCLONE_CONFIG_S3_REGION=us-east-1
export RCLONE_CONFIG_S3_ACCESS_KEY_ID="$s3_key" RCLONE_CONFIG_S3_SECRET_ACCESS_KEY="$s3_secret"
# Path-style addressing, as with Mavren.
cat > "$work/s3cfg" << EOF
[default]
access_key = $s3_key
secret_key = $s3_secret
host_base = 127.0.0.1:$s3_port
host_bucket = 127.0.0.1:$s3_port
use_https = False
bucket_location = us-east-1
EOF

# Mavren keeps three profiles at most: the FTPS one is done with.
"$cli" profile delete ftps --yes > /dev/null
echo "$s3_secret" | "$cli" profile add s3 --protocol s3-http --host "127.0.0.1:$s3_port" \
    --user "$s3_key" --password-stdin --directory bench/mavren --region us-east-1 > /dev/null

# Objects and bytes under the prefix $1 of the bucket, as "COUNT BYTES".
s3_size() {
    rclone size --json "s3:bench/$1" 2> /dev/null |
        sed -n 's/.*"count":\([0-9]*\).*"bytes":\([0-9]*\).*/\1 \2/p'
}

# One upload of the site $2 by the tool $1 into its prefix, emptied first; prints the
# seconds. A failed or short upload ends the benchmark.
s3_upload_once() {
    tool=$1 site=$2
    rclone delete --checkers 16 "s3:bench/$tool" > /dev/null 2>&1 || true
    if [ "$(s3_size "$tool")" != "0 0" ]; then
        echo "bench/upload: the prefix $tool could not be emptied" >&2
        exit 1
    fi
    s3_sync_once "$tool" "$site"
}

# The same without emptying the prefix first (a re-check when nothing changed).
s3_sync_once() {
    tool=$1 site=$2
    start=$(now)
    failed=no
    case $tool in
        mavren)
            "$cli" upload "$work/$site.mav" --profile s3 2> "$work/$tool.err" || failed=yes ;;
        rclone)
            rclone sync --transfers 4 "$work/$site" "s3:bench/rclone" > /dev/null \
                2> "$work/$tool.err" || failed=yes ;;
        s3cmd)
            s3cmd -c "$work/s3cfg" sync --no-progress "$work/$site/" "s3://bench/s3cmd/" \
                > /dev/null 2> "$work/$tool.err" || failed=yes ;;
    esac
    end=$(now)
    if [ $failed = yes ]; then
        echo "bench/upload: $tool failed (S3, $site):" >&2
        tail -n 5 "$work/$tool.err" >&2
        exit 1
    fi
    expected="$(find "$work/$site" -type f | wc -l) $(find "$work/$site" -type f -printf '%s\n' |
        awk '{ s += $1 } END { print s + 0 }')"
    stored=$(s3_size "$tool")
    if [ "$stored" != "$expected" ]; then
        echo "bench/upload: $tool stored $stored (files, bytes) of $expected" >&2
        exit 1
    fi
    elapsed "$start" "$end"
}

# The smaller of $4 and the time of one more run of $1 (s3_upload_once or s3_sync_once)
# by the tool $2 with the site $3. A failed run ends the benchmark: the
# assignment fails under set -e.
s3_keep_best() {
    seconds=$($1 "$2" "$3")
    smaller "$seconds" "$4"
}

for site in $sites; do
    best_mavren="" best_rclone="" best_s3cmd=""
    for run in $(seq "${MAVREN_BENCH_ROUNDS:-2}"); do
        best_mavren=$(s3_keep_best s3_upload_once mavren $site "$best_mavren")
        best_rclone=$(s3_keep_best s3_upload_once rclone $site "$best_rclone")
        best_s3cmd=$(s3_keep_best s3_upload_once s3cmd $site "$best_s3cmd")
    done
    other=$(smaller "$best_rclone" "$best_s3cmd")
    ratio=$(awk -v a="$best_mavren" -v b="$other" 'BEGIN { printf "%.2f", a / b }')
    target=0.8
    [ $site = large ] && target=1.1
    verdict=ok
    awk -v r="$ratio" -v t=$target 'BEGIN { exit !(r <= t) }' || { verdict="over $target"; status=1; }
    echo "S3 $(label_of $site): mavren $best_mavren s, rclone $best_rclone s," \
        "s3cmd $best_s3cmd s; ratio $ratio ($verdict)"
done

# The re-check of the unchanged small site: each tool uploads it once, then three times
# more; the best time, and the objects Mavren's runs sent (PUT requests in the gateway's
# log).
for tool in mavren rclone s3cmd; do
    s3_upload_once $tool small > /dev/null
done
best_mavren="" best_rclone="" best_s3cmd="" sent=""
for run in 1 2 3; do
    lines=$(wc -l < "$s3_log")
    best_mavren=$(s3_keep_best s3_sync_once mavren small "$best_mavren")
    sent="$sent${sent:+, }$(tail -n +$((lines + 1)) "$s3_log" | grep -c '"PUT /bench/' || true)"
    best_rclone=$(s3_keep_best s3_sync_once rclone small "$best_rclone")
    best_s3cmd=$(s3_keep_best s3_sync_once s3cmd small "$best_s3cmd")
done
verdict=ok
awk -v s="$best_mavren" 'BEGIN { exit !(s < 0.3) }' || { verdict="not under 0.3 s"; status=1; }
echo "S3 re-check of 1000 unchanged files: mavren $best_mavren s ($verdict), rclone" \
    "$best_rclone s, s3cmd $best_s3cmd s; files mavren sent: $sent; $(tail -n 1 "$work/mavren.err")"
