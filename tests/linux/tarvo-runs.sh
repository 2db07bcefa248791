#!/usr/bin/env bash
# Runs the real tarvo for a few seconds with its output piped and no terminal, then asks it to
# stop the way a service manager would: it stops, and ends as SIGTERM would have ended it. Usage: tarvo-runs.sh <path to tarvo>
set -euo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT

"$1" < /dev/null > "$out" 2>&1 &
pid=$!
sleep 2.5
kill -TERM "$pid"
status=0
wait "$pid" || status=$?

fail() { echo "FAIL: $*"; cat "$out"; exit 1; }
[ "$status" -eq 143 ] || fail "exit status $status after SIGTERM, not the signal's own 143"
[ "$(wc -l < "$out")" -ge 2 ] || fail "expected the launch line and at least one refresh"
grep -Eq '^[0-9]+% ' "$out" || fail "no CPU figure in the status texts"
grep -Eq 'CPU Usage: ([0-9]+\.[0-9] %|N/A)' "$out" || fail "no CPU line"
grep -Eq 'Download: [0-9.]+ [KMG]?B/s \| Upload: [0-9.]+ [KMG]?B/s' "$out" || fail "no rates"
# Without CPU sensors the temperature is unavailable; with them, a figure or still collecting.
grep -Eq "CPU Temp: (unavailable \| \(No CPU sensor found in the kernel\)|[0-9]+\.[0-9] °C|collecting… \| \(Reading the kernel's CPU sensors\))" "$out" ||
    fail "no temperature line from the kernel's sensors"
if grep -q AppleSMC "$out"; then fail "AppleSMC named on Linux"; fi
if grep -q $'\e' "$out"; then fail "escape sequences in piped output"; fi
echo "tarvo ran, refreshed and stopped cleanly"
