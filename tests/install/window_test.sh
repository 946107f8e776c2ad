#!/usr/bin/env bash
# The installed program's real windows under a virtual X server, run by a user who cannot
# write its folder, as after a system install: the first start asks for the settings once
# and OK keeps them in the user's own folder; the main window is a normal application
# window with its icon, and the Settings and About windows and the message boxes are
# dialogs owned by it; the daily start registers the installed program with atd; Escape
# ends the program; the second start does not ask again.
#
#   window_test.sh BUILD_DIR SOURCE_DIR    exit 77 (skipped) without Xvfb and xdotool
set -euo pipefail
build=$(cd "$1" && pwd) source_dir=$(cd "$2" && pwd)

for tool in Xvfb xdotool xprop xwininfo at; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (./dev.sh test installs it)"; exit 77; }
done
# shellcheck source=tools/screenshots/xsession.sh
source "$source_dir/tools/screenshots/xsession.sh"

# Root may write anywhere: the program then runs as an account of its own (./dev.sh test
# makes it; nobody may not use at).
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=solmira-tester --regid=solmira-tester --clear-groups)
    getent passwd solmira-tester >/dev/null || { echo "FAIL: no account solmira-tester; ./dev.sh test makes it"; exit 1; }
fi

tmp=$(mktemp -d) && chmod 755 "$tmp"
prefix=$tmp/usr home=$tmp/home
program=$prefix/lib/solmira/solmira program_pid=""
# Whatever fails, everything the test started is ended and its files removed.
cleanup() {
    set +e
    [ -z "$program_pid" ] || { kill "$program_pid"; wait "$program_pid"; } 2>/dev/null
    [ ! -s "$tmp/program.log" ] || { echo "The program said:"; cat "$tmp/program.log"; }
    x_stop
    for job in $(jobs_of_program now); do atrm "$job"; done
    chmod -R u+w "$tmp"
    rm -rf "$tmp"
}
trap cleanup EXIT
# An interrupt or a time limit still removes what the test started and made.
trap "exit 1" INT TERM HUP
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The at jobs that start the installed program (root sees every user's), once its daily
# start has settled: it registers in the background, the new job before the old goes, so
# for a moment there may be none yet, or two. A start that replaces job $1 has settled once
# another job stands alone; "now" gives them as they are.
jobs_of_program() {
    local jobs="" job
    for _ in $(seq 50); do
        jobs=$(for job in $(atq 2>/dev/null | cut -f1); do
            at -c "$job" 2>/dev/null | grep -qxF "# solmira start of: $program" && echo "$job"; done; true)
        [ "$1" = now ] || { [ "$(echo "$jobs" | grep -c .)" -eq 1 ] && [ "$jobs" != "$1" ]; } && break
        sleep 0.2
    done
    echo "$jobs"
}

# --- Installed where the user cannot write --------------------------------------------------
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R a-w "$prefix/lib/solmira"
mkdir -p "$home" && mkdir -m 700 "$tmp/runtime"
[ ${#as_user[@]} -eq 0 ] || chown solmira-tester: "$home" "$tmp/runtime"
x_start "$tmp"
# Under the sanitizers, the leaks of the system's libraries on a real display are not ours.
install -m 644 "$source_dir/tests/install/lsan-suppressions.txt" "$tmp/lsan-suppressions.txt"

# Starts the installed command as the user, with a home of its own and the at scheduler.
start_program() {
    "${as_user[@]}" env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$tmp/runtime" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb SOLMIRA_START_SERVICE=at \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        LSAN_OPTIONS="suppressions=$tmp/lsan-suppressions.txt" \
        "$prefix/bin/solmira" >>"$tmp/program.log" 2>&1 &
    program_pid=$!
}

# Escape on the main window ends the program within the time. A key that comes before
# the window is ready for it is lost, so it is given up to three times.
end_with_escape() {
    for _ in 1 2 3; do
        x_keys "$1" Escape
        if wait_for_end "$program_pid" 5; then
            wait "$program_pid" || fail "the program ended with status $?"
            program_pid="" && return
        fi
    done
    fail "Escape did not end the program"
}

# Checks that a window is a dialog owned by the given window.
check_dialog_of() {
    [ "$(x_window_type "$2")" = DIALOG ] || fail "$1 is mapped as $(x_window_type "$2"), not as a dialog"
    [ "$(x_transient_for "$2")" = "$3" ] || fail "$1 is not owned by its window"
}

# --- The first start asks for the settings ---------------------------------------------------
start_program
settings=$(x_wait_window Settings)
main=$(x_window_named 'REZEZO 1.0')
x_window_shown 'REZEZO 1.0' && fail "the main window is shown before the settings are given"
check_dialog_of "the first start's Settings window" "$settings" "$main"

# AutoRun on (its box is the third stop after OK) brings a notice; then OK keeps the settings.
x_keys "$settings" Tab Tab space
notice=$(x_wait_window 'Support Notice')
check_dialog_of "the Support Notice box" "$notice" "$settings"
x_close "$notice" Return
x_keys "$settings" Return
autorun=$(x_wait_window Autorun)
check_dialog_of "the Autorun box" "$autorun" "$settings"
x_close "$autorun" Return

# --- The main window ---------------------------------------------------------------------
main=$(x_wait_window 'REZEZO 1.0')
[ "$(x_window_type "$main")" = NORMAL ] || fail "the main window is mapped as $(x_window_type "$main")"
[ -z "$(x_transient_for "$main")" ] || fail "the main window is transient for another window"
# The larger sizes follow shortly (256 pixels are more than one X request may carry, so
# X11 takes up to 128); the window may be made larger than it opens. xprop draws each
# size, so its output is read whole rather than cut off by the first match.
sleep 0.5
xprop -id "$main" _NET_WM_ICON | grep -c "Icon (128 x 128)" >/dev/null || fail "the main window has no 128 x 128 icon"
xprop -id "$main" WM_NORMAL_HINTS | grep -q 'program specified maximum size' &&
    fail "the main window cannot be made larger: $(xprop -id "$main" WM_NORMAL_HINTS)"
xprop -id "$main" WM_CLASS | grep -q '"solmira"' || fail "the main window's class is not solmira"

[ -s "$home/data/solmira/slm.dat" ] || fail "the settings are not in the user's folder"
[ ! -e "$prefix/lib/solmira/slm.dat" ] || fail "the settings went into the program's folder"

jobs=$(jobs_of_program "")
[ "$(echo "$jobs" | grep -c .)" -eq 1 ] && at -c "$jobs" | grep -qF "exec '$program' " ||
    fail "the daily start is not one at job that starts $program: '$jobs'"

about=$(x_open_about "$main")
check_dialog_of "the About window" "$about" "$main"
x_close "$about" Escape

# The Settings window opens on AutoRun, which brings the notice again.
settings=$(x_open_settings_with_autorun "$main")
check_dialog_of "the Settings window" "$settings" "$main"
x_close "$settings" Escape

end_with_escape "$main"

# --- The second start does not ask again ----------------------------------------------------
start_program
main=$(x_wait_window 'REZEZO 1.0')
x_window_shown Settings && fail "the second start asks for the settings again"
second_jobs=$(jobs_of_program "$jobs")
[ "$(echo "$second_jobs" | grep -c .)" -eq 1 ] && [ "$second_jobs" != "$jobs" ] ||
    fail "the second start does not leave one new at job in the first one's place: '$second_jobs'"
end_with_escape "$main"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "the installed program's windows are as they should be"
