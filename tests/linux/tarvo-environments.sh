#!/usr/bin/env bash
# Runs the real tarvo, piped, where a user may put it. Usage: tarvo-environments.sh <tarvo> <case>
#   thread-limit  a CPU sensor, but no thread to poll it: the temperature is unavailable
#   sensor-fifos  fifos and devices under sensor names: the start is not held up, the one real
#                 sensor is read
#   closed-output standard output closed: an error, said on standard error
#   failing-output standard output that fails (/dev/full): the same
# The first two lay a sensor tree over /sys/class in a mount namespace of their own, and so need
# root; elsewhere they are skipped (status 77).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy that any user may run, wherever the build tree is.
chmod 755 "$work"
cp "$1" "$work/tarvo"
tarvo=$work/tarvo
fail() { echo "FAIL: $*"; cat "$work/out" "$work/err" 2>/dev/null; exit 1; }

# Runs tarvo for two seconds in a namespace whose /sys/class is the tree that "$1" lays, with the
# command's other words before tarvo; then stops it, leaving its status in $status.
run_over_sensors() {
    local lay=$1
    shift
    [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null || { echo "needs root and a mount namespace of its own"; exit 77; }
    status=0
    timeout -s KILL 10 unshare -m bash -c "
        mount -t tmpfs none /sys/class && mkdir -p /sys/class/hwmon/hwmon0 && cd /sys/class/hwmon/hwmon0 &&
        echo coretemp > name && $lay &&
        { $* \"$tarvo\" < /dev/null > '$work/out' 2> '$work/err' & pid=\$!; sleep 2; kill -TERM \$pid; wait \$pid; }
    " || status=$?
}

case $2 in
thread-limit)
    # Root is exempt from the limit on processes, so tarvo runs as nobody, alone under a limit of 1.
    run_over_sensors "echo 45000 > temp1_input" \
        prlimit --nproc=1 setpriv --reuid=65534 --regid=65534 --clear-groups
    [ "$status" -eq 143 ] || fail "exit status $status, not SIGTERM's 143"
    grep -q "CPU Temp: unavailable | (No temperature reader could be started)" "$work/out" ||
        fail "the temperature is not unavailable for want of a thread"
    ;;
sensor-fifos)
    run_over_sensors "mkfifo temp1_input temp2_input temp3_label && mkdir temp4_input &&
        ln -s /dev/zero temp5_input && ln -s /dev/urandom temp6_input && ln -s /dev/null temp7_input &&
        mkfifo temp8_input && echo 47500 > temp9_input && echo 40000 > temp3_input"
    [ "$status" -eq 143 ] || fail "exit status $status, not SIGTERM's 143"
    grep -q "CPU Temp: 43.8 °C" "$work/out" || fail "not the two sensor files' average"
    ;;
closed-output)
    status=0
    timeout 5 "$tarvo" < /dev/null >&- 2> "$work/err" || status=$?
    [ "$status" -eq 1 ] || fail "exit status $status, not 1"
    [ "$(cat "$work/err")" = "tarvo: standard output is closed" ] || fail "no word of the error"
    ;;
failing-output)
    status=0
    timeout 5 "$tarvo" < /dev/null > /dev/full 2> "$work/err" || status=$?
    [ "$status" -eq 1 ] || fail "exit status $status, not 1"
    [ "$(cat "$work/err")" = "tarvo: cannot write to standard output: No space left on device" ] ||
        fail "no word of the error"
    ;;
*)
    echo "no such case: $2"
    exit 2
    ;;
esac
echo "tarvo: $2 passed"
