#!/usr/bin/env bash
# Removes what a test run killed at its time limit left: the daily starts in at's queue of a
# program in a test's own folder (solmira-test-PID-*), and the folder, once the test's
# process PID is gone. A job of any other program, or of a test that still runs, stays.
set -u
gone() { ! kill -0 "$1" 2>/dev/null && [ ! -d "/proc/$1" ]; }
if command -v atq >/dev/null; then
    for job in $(atq | cut -f1); do
        pid=$(at -c "$job" 2>/dev/null | sed -n 's|^# solmira start of: .*/solmira-test-\([0-9]*\)-[^/]*/.*|\1|p' | head -1)
        [ -z "$pid" ] || ! gone "$pid" || atrm "$job" 2>/dev/null
    done
fi
for folder in "${TMPDIR:-/tmp}"/solmira-test-[0-9]*-*; do
    pid=${folder##*/solmira-test-} pid=${pid%%-*}
    case $pid in *[!0-9]* | "") continue ;; esac
    [ ! -d "$folder" ] || ! gone "$pid" || rm -rf "$folder"
done
exit 0
