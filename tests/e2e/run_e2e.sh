#!/usr/bin/env bash
# Runs one steps file through kxwplay and compares what it wrote with the files beside it.
#
#   run_e2e.sh KXWPLAY NAME.steps
#
# Comment lines of the steps file direct the run (the player itself skips them):
#   #! args: ARGS       arguments before the steps file; @OUT@ stands for a fresh folder for log files
#   #! status: N        the exit status expected (default 0)
#   #! logs: N          how many vuser-<n>.log files @OUT@ must hold
#   #! logdir: DIR      where the log files are instead of @OUT@ (relative to the run's folder)
#   #! contains: TEXT   standard output must have a line containing TEXT
# Files compared when present: NAME.out (standard output), NAME.err (standard error), NAME.vuser.out (every log
# file), NAME.vuser-<n>.out (that log file). Times and memory figures vary from run to run: both sides read them as
# N, and runs of blanks as one, before comparing.
set -u
kxwplay=$1
steps=$2
dir=$(cd "$(dirname "$steps")" && pwd)
name=$(basename "$steps" .steps)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The run happens in a copy of the folder, so that relative paths work and default log folders land there.
cp -r "$dir"/. "$work"/
cd "$work" || exit 1
directive() { sed -n "s/^#! $1: *//p" "$name.steps"; }
args=$(directive args | head -n 1)
args=${args//@OUT@/$work/out}
expected_status=$(directive status | head -n 1)
expected_status=${expected_status:-0}
eval "set -- $args"
"$kxwplay" "$@" "$name.steps" >actual.stdout 2>actual.stderr
status=$?

normalize() {
    sed -E -e 's/[0-9]+(\.[0-9]+)?ms/Nms/g' -e 's/MEMORY peak [0-9]+ KB, [0-9]+ KB per/MEMORY peak N KB, N KB per/' \
        -e 's/ +/ /g' "$1"
}
failed=0
compare() {
    if ! diff -u <(normalize "$1") <(normalize "$2") >diff.txt; then
        echo "FAIL $name: $3 differs from $1 (- expected, + actual):"
        cat diff.txt
        failed=1
    fi
}

if [ "$status" != "$expected_status" ]; then
    echo "FAIL $name: exit status $status, expected $expected_status"
    failed=1
fi
[ -f "$name.out" ] && compare "$name.out" actual.stdout "standard output"
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
