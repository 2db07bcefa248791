#!/usr/bin/env bash
# Runs the real tarvo as the first process of a new PID namespace, as in a container, where the
# kernel drops any signal left to its default action, a re-raised one included: each signal that
# ends it must still end it, with the exit status a shell gives a process that signal ended
# (128 + its number). SIGHUP ends it from its handler, SIGTERM once the loop has stopped.
# Skipped (77) where no PID namespace can be made. Usage: tarvo-first-process.sh <path to tarvo>
set -euo pipefail
namespace=(unshare --pid --fork)
if ! "${namespace[@]}" true 2>/dev/null; then
    namespace=(unshare --user --map-root-user --pid --fork)
    if ! "${namespace[@]}" true 2>/dev/null; then
        echo "SKIP: this machine allows no new PID namespace, as root or in a user namespace"
        exit 77
    fi
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT

fail() { echo "FAIL: $*"; cat "$out"; exit 1; }
for signal in HUP TERM; do
    : > "$out"
    "${namespace[@]}" "$1" < /dev/null > "$out" 2>&1 &
    outer=$!
    # Its first line comes once its handlers are in place.
    for ((tries = 0; tries < 50; ++tries)); do [ -s "$out" ] && break; sleep 0.1; done
    first=$(cat "/proc/$outer/task/$outer/children")
    first=${first%% *}
    grep -Eq '^NSpid:.*[[:space:]]1$' "/proc/$first/status" || fail "tarvo is not process 1 there"
    kill "-$signal" "$first"
    for ((tries = 0; tries < 30; ++tries)); do [ -d "/proc/$first" ] || break; sleep 0.1; done
    [ ! -d "/proc/$first" ] || { kill -KILL "$first"; fail "still running 3 s after SIG$signal"; }
    status=0
    wait "$outer" || status=$?
    expected=$((128 + $(kill -l "$signal")))
    [ "$status" -eq "$expected" ] || fail "exit status $status after SIG$signal, not $expected"
done
echo "tarvo ended as process 1 of its namespace with 128 + the signal's number"
