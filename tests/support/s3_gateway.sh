#!/bin/sh
# An S3 gateway for tests and benchmarks: Ceph's RADOS gateway on a one-machine cluster
# (one monitor, one OSD keeping objects in memory, no authentication between the
# daemons), started as the current user with every file in one folder. The system's own
# Ceph services and /etc/ceph are never touched.
#
# usage: s3_gateway.sh start DIR   prints "PORT ACCESS_KEY SECRET_KEY" once the gateway
#                                  answers signed S3 requests on 127.0.0.1:PORT
#        s3_gateway.sh stop DIR    stops every daemon started in DIR and waits for them
#
# The cluster also stops by itself when the process that started it (the script's parent,
# or S3_GATEWAY_OWNER) ends.
# Exits 77 (a skipped test) when a Ceph package is missing, 1 when the cluster does not
# come up (saying which daemon failed, with the end of its log), 2 on bad usage.
set -eu

# Seconds each step may take before the start gives up.
START_TIMEOUT=${S3_GATEWAY_TIMEOUT:-90}

say() { echo "s3 gateway: $*" >&2; }

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
action=$1
dir=$2
case $action in start | stop) ;; *) usage ;; esac

skip() {
    echo "s3 gateway: $1 is missing (apt-get install $2)"
    exit 77
}
# A command and the Debian package it comes from.
need() { command -v "$1" > /dev/null 2>&1 || skip "$1" "$2"; }
if [ "$action" = start ]; then
    need ceph-mon ceph-mon
    need ceph-osd ceph-osd
    need radosgw radosgw
    need radosgw-admin ceph-common
    need monmaptool ceph-base
    need curl curl
    /usr/bin/python3 -c 'import rados' 2> /dev/null || skip "Python's rados module" python3-rados
    mkdir -p "$dir"
fi
[ -d "$dir" ] || exit 0
dir=$(cd "$dir" && pwd)
conf="$dir/ceph.conf"
# One start or stop at a time in a folder. The daemons do not inherit the lock.
exec 9> "$dir/lock"
flock -w "$START_TIMEOUT" 9 || { say "another start or stop in $dir takes too long"; exit 1; }

# A process that ended but was not yet reaped (its parent, the start, is gone) counts as
# ended.
alive() {
    [ -n "$1" ] && kill -0 "$1" 2> /dev/null || return 1
    state=$(sed -n 's/^[0-9]* (.*) \([A-Z]\).*/\1/p' "/proc/$1/stat" 2> /dev/null || true)
    [ "$state" != Z ]
}

pid_of() { cat "$dir/run/$1.pid" 2> /dev/null || true; }

stop_all() {
    # Not the watchdog when it is the watchdog that stops.
    watchdog=$(pid_of watchdog)
    if [ "$watchdog" != $$ ] && alive "$watchdog"; then kill -TERM "$watchdog" 2> /dev/null || true; fi
    rm -f "$dir/run/watchdog.pid"
    for daemon in radosgw ceph-osd ceph-mon; do
        pid=$(pid_of $daemon)
        if alive "$pid"; then kill -TERM "$pid" 2> /dev/null || true; fi
    done
    for daemon in radosgw ceph-osd ceph-mon; do
        pid=$(pid_of $daemon)
        tries=0
        while alive "$pid" && [ $tries -lt 200 ]; do
            sleep 0.05
            tries=$((tries + 1))
        done
        if alive "$pid"; then
            kill -KILL "$pid" 2> /dev/null || true
            tries=0
            while alive "$pid" && [ $tries -lt 100 ]; do
                sleep 0.05
                tries=$((tries + 1))
            done
        fi
        rm -f "$dir/run/$daemon.pid"
    done
}

if [ "$action" = stop ]; then
    stop_all
    exit 0
fi

# Gives up: stops what started, names the daemon and shows the end of its log.
fail() {
    daemon=$1
    shift
    say "$*"
    case $daemon in
        ceph-mon) log=ceph-mon.a.log ;;
        ceph-osd) log=ceph-osd.0.log ;;
        radosgw) log=ceph-client.rgw.gw.log ;;
        *) log=none ;;
    esac
    for log in "$dir/log/$daemon.out" "$dir/log/$log"; do
        [ -s "$log" ] || continue
        echo "--- the end of $log:" >&2
        tail -n 15 "$log" >&2
    done
    stop_all
    exit 1
}

# Waits until the command succeeds, at most START_TIMEOUT seconds, while every daemon
# started stays alive; DAEMON is the one to blame for a time-out:
# wait_for WHAT DAEMON COMMAND...
wait_for() {
    what=$1 daemon=$2
    shift 2
    deadline=$(($(date +%s) + START_TIMEOUT))
    while ! "$@" > /dev/null 2>&1; do
        for name in ceph-mon ceph-osd radosgw; do
            pid=$(pid_of $name)
            [ -z "$pid" ] || alive "$pid" || fail $name "$name stopped while waiting for $what"
        done
        [ "$(date +%s)" -lt $deadline ] ||
            fail "$daemon" "no $what within $START_TIMEOUT s"
        sleep 0.1
    done
}

# Starts a daemon in the foreground of its own session, logging to DIR/log/NAME.out.
run_daemon() {
    name=$1
    shift
    setsid "$@" -f < /dev/null >> "$dir/log/$name.out" 2>&1 9>&- &
    echo $! > "$dir/run/$name.pid"
}

# Seconds since the start and what happened, for the start's time (DIR/log/start.log).
started=$(date +%s.%N)
step() {
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%6.2f", b - a }')
    echo "$seconds $*" >> "$dir/log/start.log"
}

# A port nothing on this machine uses, below the range the kernel hands out to
# outgoing connections.
free_port() {
    while :; do
        port=$(($(od -An -N2 -tu2 /dev/urandom) % 12000 + 20000))
        [ "$port" != "${1:-}" ] || continue
        hex=$(printf ':%04X ' "$port")
        grep -q "$hex" /proc/net/tcp /proc/net/tcp6 2> /dev/null || break
    done
    echo "$port"
}

# Left over from an earlier start in the same folder: begin afresh.
stop_all
rm -rf "$dir/mon" "$dir/osd" "$dir/run" "$dir/log" "$dir/crash" "$dir/gateway"
mkdir -p "$dir/mon" "$dir/osd/ceph-0" "$dir/run" "$dir/log" "$dir/crash"

# Stops the cluster once the program that started it ends without stopping it (killed at
# a time-out, say). S3_GATEWAY_OWNER names another process to outlive.
owner=${S3_GATEWAY_OWNER:-$PPID}
script="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
(
    while alive "$owner"; do sleep 1; done
    exec sh "$script" stop "$dir"
) < /dev/null > /dev/null 2>&1 9>&- &
echo $! > "$dir/run/watchdog.pid"

mon_port=$(free_port)
rgw_port=$(free_port "$mon_port")
fsid=$(cat /proc/sys/kernel/random/uuid)
osd_uuid=$(cat /proc/sys/kernel/random/uuid)
access_key=$(tr -dc 'A-Z0-9' < /dev/urandom | head -c 20)
secret_key=$(tr -dc 'A-Za-z0-9' < /dev/urandom | head -c 40)

cat > "$conf" << EOF
[global]
fsid = $fsid
mon_host = [v1:127.0.0.1:$mon_port]
mon_initial_members = a
public_addr = 127.0.0.1
cluster_addr = 127.0.0.1
ms_bind_msgr1 = true
ms_bind_msgr2 = false
auth_cluster_required = none
auth_service_required = none
auth_client_required = none
keyring = $dir/keyring
run_dir = $dir/run
admin_socket = $dir/run/\$name.asok
log_file = $dir/log/ceph-\$name.log
mon_cluster_log_file = $dir/log/cluster.log
crash_dir = $dir/crash
log_to_stderr = false
err_to_stderr = true
# One OSD: pools of one copy, few placement groups, no warnings about either.
osd_pool_default_size = 1
osd_pool_default_min_size = 1
mon_allow_pool_size_one = true
osd_pool_default_pg_num = 8
osd_pool_default_pgp_num = 8
osd_pool_default_pg_autoscale_mode = off
osd_crush_chooseleaf_type = 0
mon_warn_on_pool_no_redundancy = false
mon_max_pg_per_osd = 1000
ms_async_op_threads = 2
# Map changes (each pool the gateway makes) without the usual pauses meant for many
# monitors.
paxos_propose_interval = 0.05
paxos_min_wait = 0.01

[mon]
mon_data = $dir/mon/\$cluster-\$id

[osd]
osd_data = $dir/osd/\$cluster-\$id
osd_objectstore = memstore
# Room for the tests' and benchmarks' objects; memory is taken only as they are written.
memstore_device_bytes = 1073741824
osd_op_num_shards = 2
osd_op_num_threads_per_shard = 1
# The start adds the OSD to the cluster and its CRUSH map: the OSD's own requests to do
# so may leave before its monitor client learnt the cluster's id (quick without
# authentication), and the monitor refuses them.
osd_crush_update_on_start = false
osd_class_update_on_start = false

[client.rgw.gw]
rgw_frontends = beast endpoint=127.0.0.1:$rgw_port
rgw_data = $dir/gateway
rgw_thread_pool_size = 32
rgw_enable_lc_threads = false
rgw_dynamic_resharding = false
EOF
: > "$dir/keyring"

monmaptool --create --clobber --fsid "$fsid" --addv a "[v1:127.0.0.1:$mon_port]" \
    "$dir/monmap" > "$dir/log/monmaptool.out" 2>&1 || fail monmaptool "monmaptool failed"
ceph-mon --conf "$conf" --mkfs -i a --monmap "$dir/monmap" > "$dir/log/ceph-mon.out" 2>&1 ||
    fail ceph-mon "ceph-mon --mkfs failed"
step "monitor made"
run_daemon ceph-mon ceph-mon --conf "$conf" -i a

# What "ceph osd new" and "ceph osd crush add" do, without the ceph command's slower
# start. Without authentication the first requests may leave before the client learnt the
# cluster's id, and the monitor refuses them ("wrong fsid"): those are sent again.
timeout "$START_TIMEOUT" /usr/bin/python3 - "$conf" "$osd_uuid" > "$dir/log/add-osd.out" 2>&1 << 'EOF' ||
import json, sys, time, rados
cluster = rados.Rados(conffile=sys.argv[1])
cluster.connect(timeout=30)
for command in ({"prefix": "osd new", "uuid": sys.argv[2], "id": 0},
                {"prefix": "osd crush add", "id": 0, "weight": 1.0, "args": ["root=default"]}):
    while True:
        status, out, error = cluster.mon_command(json.dumps(command), b"")
        if status == 0:
            break
        if "wrong fsid" not in error:
            sys.exit(f"{command['prefix']}: {error} ({status})")
        time.sleep(0.05)
EOF
    fail add-osd "the monitor did not take the OSD"
step "OSD added"
ceph-osd --conf "$conf" -i 0 --mkfs --osd-uuid "$osd_uuid" > "$dir/log/ceph-osd.out" 2>&1 ||
    fail ceph-osd "ceph-osd --mkfs failed"
run_daemon ceph-osd ceph-osd --conf "$conf" -i 0

step "OSD started"
run_daemon radosgw radosgw --conf "$conf" -n client.rgw.gw
# The gateway listens once its pools exist, which needs the OSD up.
wait_for "answer from radosgw on port $rgw_port" radosgw \
    curl -s -o /dev/null "http://127.0.0.1:$rgw_port/"

step "radosgw answers"
timeout "$START_TIMEOUT" radosgw-admin --conf "$conf" user create --uid mavren-test \
    --display-name "Mavren tests" --access-key "$access_key" --secret-key "$secret_key" \
    > "$dir/log/radosgw-admin.out" 2>&1 || fail radosgw-admin "radosgw-admin could not make the user"

# A signed listing of the user's buckets. curl does not send the hash of the (empty) body,
# which the gateway signs.
signed_listing() {
    curl -s -f -o /dev/null --aws-sigv4 "aws:amz:us-east-1:s3" \
        --user "$access_key:$secret_key" -H "x-amz-content-sha256: $empty_sha256" \
        "http://127.0.0.1:$rgw_port/"
}
empty_sha256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855
step "user made"
# The user may take a moment to reach the running gateway.
wait_for "signed answer from radosgw on port $rgw_port" radosgw signed_listing

step "radosgw answers signed requests"
echo "$rgw_port $access_key $secret_key" > "$dir/gateway.txt"
cat "$dir/gateway.txt"
