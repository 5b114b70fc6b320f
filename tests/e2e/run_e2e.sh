#!/usr/bin/env bash
# Runs one steps file through kxwplay and compares what it wrote with the files beside it.
#
#   run_e2e.sh KXWPLAY NAME.steps [ARGS...]
#
# ARGS are added after the steps file's own arguments (the "#! also:" runs: the same steps in another browser).
#
# Comment lines of the steps file direct the run (the player itself skips them):
#   #! args: ARGS       arguments before the steps file; @OUT@ stands for a fresh folder for log files
#   #! also: ARGS       (read by CMakeLists.txt) a second test that runs with ARGS added
#   #! status: N        the exit status expected (default 0)
#   #! logs: N          how many vuser-<n>.log files @OUT@ must hold
#   #! logdir: DIR      where the log files are instead of @OUT@ (relative to the run's folder)
#   #! contains: TEXT   standard output must have a line containing TEXT
#   #! snapshots: DIR   after the run, snapshot_check.py reads the snapshot folder DIR (what -s DIR wrote): the
#                       listing it prints is compared with NAME.snapshots.out, and a fault it finds (an index that
#                       lists a missing file, a written file no index lists, a wrong Total, a page without the
#                       policy) fails the test
#   #! browser: GLOB... after the run, every file the globs match (relative to the run's folder; at least one) is
#                       opened in headless chromium (tests/browser/kxw_browser_check.py): its screenshot must not
#                       be blank and opening it must fetch nothing from the network
#   #! needs: FILE      a file the run reads (relative to the steps file's folder) that scripts/setup fetches: the
#                       test fails at once, saying so, when it is missing
#   #! copy: FROM DEST  before the server starts, FROM (a file or folder the build makes, relative to the build
#                       folder: the one above kxwplay's) is copied to DEST in the run's folder; the test fails at
#                       once when FROM is missing
#   #! asan: OPTIONS    (read by CMakeLists.txt) options appended to ASAN_OPTIONS in the sanitizer build
#   #! memcheck: skip REASON
#                       the run is skipped (exit status 77) under valgrind (KXW_E2E_MEMCHECK=1, below), for the
#                       reason given: a Java VM in the process writes below its stack pointer on purpose
#   #! server: DIR [https]
#                       a test HTTP server (tests/server/kxw_test_server.py) on 127.0.0.1 serving DIR (relative to
#                       the steps file's folder) for the run, stopped when the run ends however it ends: @BASE@ in
#                       the steps file and in *.settings files becomes its http://127.0.0.1:PORT, and the outputs
#                       read that address back as @BASE@ (and 127.0.0.1:PORT as @HOST@) before they are compared.
#                       With "https" the server serves https: with a self-signed certificate made at run time,
#                       @BASE@ is https://127.0.0.1:PORT and @CA@ the certificate's file; without the openssl
#                       command the test is skipped (exit status 77).
# Files compared when present: NAME.out (standard output; NAME.SUFFIX.out instead for an "also" run when there is
# one), NAME.err (standard error), NAME.vuser.out (every log
# file), NAME.vuser-<n>.out (that log file). Times and memory figures vary from run to run: both sides read them as
# N, and runs of blanks as one, before comparing.
set -u
kxwplay=$1
steps=$2
shift 2
extra_args=("$@")
dir=$(cd "$(dirname "$steps")" && pwd)
name=$(basename "$steps" .steps)
server_script=$(cd "$(dirname "$0")/../server" && pwd)/kxw_test_server.py
snapshot_check=$(cd "$(dirname "$0")" && pwd)/snapshot_check.py
browser_check=$(cd "$(dirname "$0")/../browser" && pwd)/kxw_browser_check.py
work=$(mktemp -d)
server_pid=
server_in=
# The server ends when its standard input closes, so it also ends when this script dies before the trap can run.
stop_server() {
    if [ -n "$server_in" ]; then exec {server_in}>&-; fi
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        # A server that does not end within 5 s is killed: the test's result is known by now.
        for ((n = 0; n < 50; ++n)); do
            kill -0 "$server_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
    fi
    server_pid=
    server_in=
}
trap 'stop_server; rm -rf "$work"' EXIT

# The run happens in a copy of the folder, so that relative paths work and default log folders land there.
cp -r "$dir"/. "$work"/
cd "$work" || exit 1
directive() { sed -n "s/^#! $1: *//p" "$name.steps"; }
if [ "${KXW_E2E_MEMCHECK:-}" = 1 ] && directive memcheck | grep -q '^skip'; then
    echo "SKIP $name: not under valgrind: $(directive memcheck | head -n 1 | sed 's/^skip *//')"
    exit 77
fi
while IFS= read -r needed; do
    if [ ! -s "$work/$needed" ]; then
        echo "FAIL $name: $needed is missing (scripts/setup fetches it)"
        exit 1
    fi
done < <(directive needs)
build_dir=$(cd "$(dirname "$kxwplay")/.." && pwd)
while read -r copy_from copy_to; do
    [ -n "${copy_from:-}" ] || continue
    if [ ! -e "$build_dir/$copy_from" ]; then
        echo "FAIL $name: $copy_from is missing from the build"
        exit 1
    fi
    mkdir -p "$work/$copy_to"
    cp -r "$build_dir/$copy_from"/. "$work/$copy_to"/ 2>/dev/null || cp "$build_dir/$copy_from" "$work/$copy_to"/
done < <(directive copy)
base=
read -r server_dir server_mode < <(directive server | head -n 1)
if [ -n "${server_dir:-}" ]; then
    if [ ! -d "$work/$server_dir" ]; then
        echo "FAIL $name: the server's folder $server_dir does not exist"
        exit 1
    fi
    server_args=()
    scheme=http
    if [ "${server_mode:-}" = https ]; then
        server_args=(--tls "$work/server-cert.pem")
        scheme=https
    fi
    exec {server_in}> >(exec python3 "$server_script" "${server_args[@]}" "$work/$server_dir" >"$work/server.port" \
        2>"$work/server.err")
    server_pid=$!
    port=
    for ((n = 0; n < 300; ++n)); do
        port=$(head -n 1 "$work/server.port" 2>/dev/null)
        [ -n "$port" ] && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$port" ]; then
        if grep -q "no openssl command" "$work/server.err" 2>/dev/null; then
            echo "SKIP $name: https needs the openssl command to make a certificate"
            exit 77
        fi
        echo "FAIL $name: the test server did not start"
        cat "$work/server.err"
        exit 1
    fi
    base=$scheme://127.0.0.1:$port
    for file in "$name.steps" *.settings; do
        [ -f "$file" ] && sed -i -e "s|@BASE@|$base|g" -e "s|@CA@|$work/server-cert.pem|g" "$file"
    done
fi
args=$(directive args | head -n 1)
args=${args//@OUT@/$work/out}
expected_status=$(directive status | head -n 1)
expected_status=${expected_status:-0}
eval "set -- $args"
set -- "$@" "${extra_args[@]}"
# With KXW_E2E_MEMCHECK=1 the player runs under valgrind's memcheck: any invalid read or write, use of an
# uninitialised value or bad free fails the test (leaks are the sanitizer build's business). The engine writes
# code at run time, hence --smc-check.
runner=()
memcheck_log=
if [ "${KXW_E2E_MEMCHECK:-}" = 1 ]; then
    memcheck_log=$work/memcheck.log
    runner=(valgrind --smc-check=all-non-file --error-exitcode=99 --leak-check=no -q "--log-file=$memcheck_log")
fi
# The player does not hold the server's input open: were this script killed, the server would end at once.
if [ -n "$server_in" ]; then
    "${runner[@]}" "$kxwplay" "$@" "$name.steps" >actual.stdout 2>actual.stderr {server_in}>&-
else
    "${runner[@]}" "$kxwplay" "$@" "$name.steps" >actual.stdout 2>actual.stderr
fi
status=$?

normalize() {
    local server=()
    [ -n "$base" ] && server=(-e "s|$base|@BASE@|g" -e "s|127\.0\.0\.1:$port|@HOST@|g")
    # Addresses in the library's messages (internal ids) differ from run to run; the lines of Java stack frames
    # (an applet's exception) follow the Java sources.
    sed -E "${server[@]}" -e 's/[0-9]+(\.[0-9]+)?ms/Nms/g' -e 's/0x[0-9a-f]{4,}/0xP/g' -e 's/\.java:[0-9]+\)/.java:N)/g' \
        -e 's/MEMORY peak [0-9]+ KB, [0-9]+ KB per/MEMORY peak N KB, N KB per/' -e 's/ +/ /g' "$1"
}
failed=0
compare() {
    if ! diff -u <(normalize "$1") <(normalize "$2") >diff.txt; then
        echo "FAIL $name: $3 differs from $1 (- expected, + actual):"
        cat diff.txt
        failed=1
    fi
}

if [ -n "$memcheck_log" ] && [ -s "$memcheck_log" ]; then
    echo "FAIL $name: memcheck found errors:"
    cat "$memcheck_log"
    failed=1
    [ "$status" = 99 ] && status=$expected_status
fi
if [ "$status" != "$expected_status" ]; then
    echo "FAIL $name: exit status $status, expected $expected_status"
    failed=1
fi
# An "also" run whose output differs where the browsers differ has its own NAME.SUFFIX.out (SUFFIX as in the
# test's name: "-b ns" is b_ns).
expected_out=$name.out
if [ ${#extra_args[@]} -gt 0 ]; then
    suffix=$(printf '%s ' "${extra_args[@]}" | sed -E 's/[^A-Za-z0-9]+/_/g; s/^_+|_+$//g')
    [ -f "$name.$suffix.out" ] && expected_out=$name.$suffix.out
fi
[ -f "$expected_out" ] && compare "$expected_out" actual.stdout "standard output"
snapshots=$(directive snapshots | head -n 1)
if [ -n "$snapshots" ]; then
    if ! python3 "$snapshot_check" "$work/$snapshots" >actual.snapshots 2>&1; then
        echo "FAIL $name: the snapshots in $snapshots are not sound:"
        grep -E '^ERROR|usage' actual.snapshots
        failed=1
    fi
    [ -f "$name.snapshots.out" ] && compare "$name.snapshots.out" actual.snapshots "the snapshots' listing"
fi
browser_globs=$(directive browser | head -n 1)
if [ -n "$browser_globs" ]; then
    # The pages are what a user opens from the folder: each must show something and stay offline.
    shopt -s nullglob
    read -r -a globs <<<"$browser_globs"
    opened=0
    for glob in "${globs[@]}"; do
        for page in $glob; do
            opened=$((opened + 1))
            if ! python3 "$browser_check" --screenshot-not-blank --no-network "$page" >browser.txt 2>&1; then
                echo "FAIL $name: $page in a browser:"
                cat browser.txt
                failed=1
            fi
        done
    done
    shopt -u nullglob
    if [ "$opened" = 0 ]; then
        echo "FAIL $name: no file matches the browser pages $browser_globs"
        failed=1
    fi
fi
[ -f "$name.err" ] && compare "$name.err" actual.stderr "standard error"
while IFS= read -r text; do
    if ! grep -qF -- "$text" actual.stdout; then
        echo "FAIL $name: no line of standard output contains \"$text\""
        failed=1
    fi
done < <(directive contains)
expected_logs=$(directive logs | head -n 1)
logdir=$(directive logdir | head -n 1)
logdir=$work/${logdir:-out}
if [ -n "$expected_logs" ]; then
    logs=$(find "$logdir" -maxdepth 1 -name 'vuser-*.log' 2>/dev/null | wc -l)
    if [ "$logs" != "$expected_logs" ]; then
        echo "FAIL $name: $logs log files, expected $expected_logs"
        failed=1
    fi
    for ((n = 1; n <= expected_logs; ++n)); do
        log="$logdir/vuser-$n.log"
        if [ ! -f "$log" ]; then
            echo "FAIL $name: no vuser-$n.log"
            failed=1
        elif [ -f "$name.vuser-$n.out" ]; then
            compare "$name.vuser-$n.out" "$log" "vuser-$n.log"
        elif [ -f "$name.vuser.out" ]; then
            compare "$name.vuser.out" "$log" "vuser-$n.log"
        fi
    done
fi
if [ "$failed" != 0 ]; then
    echo "--- standard output:"
    cat actual.stdout
    echo "--- standard error:"
    cat actual.stderr
    exit 1
fi
echo "PASS $name"
