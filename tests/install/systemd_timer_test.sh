#!/usr/bin/env bash
# The daily start under a real systemd user manager, for a program in a folder with quotes,
# "$", "%", a backslash, a control byte and a byte that is not UTF-8 in its name: a start
# fires while the window of the one before is still open, and a start whose program is gone
# removes its own units. The manager runs as another user in a mount namespace of its own
# (an empty /run/systemd/system tells it systemd booted) and in a cgroup of its own, killed
# at the end.
#
#   systemd_timer_test.sh START_REQUEST     exit 77 (skipped) where no manager can start
set -uo pipefail
# shellcheck source=tests/install/skip.sh
source "${0%/*}/skip.sh"
fail() { echo "FAIL: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "mounting the manager's namespace needs root"
systemd=$(command -v /lib/systemd/systemd /usr/lib/systemd/systemd | head -1)
[ -n "$systemd" ] && [ "$(command -v systemctl setpriv unshare | wc -l)" = 3 ] || skip "systemd, setpriv or unshare missing"
user=solmira-tester
getent passwd $user >/dev/null || user=nobody
mnt=$(findmnt -n -t cgroup2 -o TARGET | head -1)
[ -n "$mnt" ] || skip "no cgroup2 hierarchy"
cgname=solmira-systemd-test-$$ rt=$(mktemp -d)
cg=$mnt/$cgname
as_user() { setpriv --reuid=$user --regid=$user --clear-groups env XDG_RUNTIME_DIR="$rt" HOME="$rt" TZ=UTC "$@"; }
cleanup() {
    [ -e "$cg/cgroup.kill" ] && echo 1 >"$cg/cgroup.kill"
    for _ in $(seq 50); do grep -q 'populated 0' "$cg/cgroup.events" 2>/dev/null && break; sleep 0.1; done
    [ -d "$cg" ] && find "$cg" -depth -type d -exec rmdir {} \;
    rm -rf "$rt"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
mkdir "$cg" && chown -R $user: "$cg" "$rt" && chmod 700 "$rt" || skip "cannot make a cgroup for the manager"
bin=$rt/$'it\'s "$HOME" 100% %h back\\slash \001\377'
mkdir -p "$bin" "$rt/.config/systemd" && cp "$1" "$rt/request"
# Timers keep their second: by default the manager may put a start off by up to a minute.
printf '[Manager]\nDefaultTimerAccuracySec=1s\n' >"$rt/.config/systemd/user.conf"
# A window left open: each start registers the next one 3 s ahead, as the program does,
# and stays running; the second start's program is uninstalled while its window is open.
cat >"$bin/window" <<EOF
#!/bin/sh
echo start >>"$rt/starts"; n=\$(wc -l <"$rt/starts")
SOLMIRA_START_SERVICE=systemd "$rt/request" register "\$0" 3 && echo "registered \$n" >>"$rt/log"
systemctl --user list-timers --no-legend 'solmira-start-*' >"$rt/timers.\$n"
[ "\$n" -ge 2 ] && rm -f -- "\$0"
echo "open \$n" >>"$rt/log"
exec sleep 300
EOF
chmod 755 "$bin/window" && chown -R $user: "$rt"
unshare -m --propagation private sh -c "mount -t cgroup2 none /sys/fs/cgroup && mount -t tmpfs tmpfs /run/systemd &&
    mkdir /run/systemd/system && echo \$\$ >/sys/fs/cgroup/$cgname/cgroup.procs || exit 77
    exec setpriv --reuid=$user --regid=$user --clear-groups env -i HOME='$rt' XDG_RUNTIME_DIR='$rt' \
        PATH=/usr/bin:/bin TZ=UTC $systemd --user" >"$rt/manager.log" 2>&1 &
manager=$!
disown $manager
wait_for() { # SECONDS COMMAND...: true once COMMAND is, false after SECONDS
    local until=$((SECONDS + $1)); shift
    until "$@"; do [ $SECONDS -lt $until ] || return 1; sleep 0.2; done
}
manager_up() {
    kill -0 $manager 2>/dev/null || skip "the user manager did not start: $(tail -3 "$rt/manager.log")"
    [ -S "$rt/systemd/private" ] && as_user systemctl --user show-environment >/dev/null 2>&1; }
wait_for 15 manager_up || skip "the user manager did not start: $(tail -3 "$rt/manager.log")"

as_user "$rt/request" register "$bin/window" 2 || fail "the first start was not registered"
units=$rt/.config/systemd/user
name=$(basename "$(ls "$units"/solmira-start-window-*.timer)" .timer)
wait_for 30 grep -q 'open 2' "$rt/log" 2>/dev/null || fail "no second start while the first window is open: $(cat "$rt/log")"
for n in 1 2; do # after each start, the timer shows the next one
    grep -qE "^[A-Z][a-z]{2} [0-9]{4}-.*$name.timer" "$rt/timers.$n" || fail "no next run after start $n: $(cat "$rt/log" "$rt/timers.$n")"
done
running=$(as_user systemctl --user list-units --no-legend --state=running "$name@*.service")
[ "$(echo "$running" | wc -l)" -ge 2 ] || fail "the first window is not open: $running"
# The program is gone now: its next start removes the units and leaves no timer.
gone() { [ -z "$(ls -A "$units" 2>/dev/null | grep -v '^timers.target.wants$')" ] && [ -z "$(ls -A "$units/timers.target.wants" 2>/dev/null)" ] &&
    ! as_user systemctl --user list-timers --all --no-legend | grep -q "$name"; }
wait_for 20 gone || fail "units left after the program was removed: $(ls -R "$units"; as_user systemctl --user list-timers --all)"
echo "PASS"
