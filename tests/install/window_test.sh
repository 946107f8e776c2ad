#!/usr/bin/env bash
# The installed program's real windows under a virtual X server, run by a user who cannot
# write its folder, as after a system install: the first start asks for the settings once
# and OK keeps them in the user's own folder; the main window is a normal application
# window with its icon, and the Settings and About windows and the message boxes are
# dialogs owned by it; the daily start registers the installed program with atd; Escape
# ends the program; the second start does not ask again. At a large desktop font and twice
# the scale the main window still fits its screen.
#
#   window_test.sh BUILD_DIR SOURCE_DIR    exit 77 (skipped) without Xvfb and xdotool
set -euo pipefail
build=$(cd "$1" && pwd) source_dir=$(cd "$2" && pwd) program_pid=""
# Whatever fails, everything the test started is ended and its files removed.
cleanup() {
    [ -z "$program_pid" ] || { kill "$program_pid"; wait "$program_pid"; } 2>/dev/null
    [ ! -s "$tmp/program.log" ] || { echo "The program said:"; cat "$tmp/program.log"; }
    x_stop
    for job in $(jobs_of_program); do atrm "$job"; done
    chmod -R u+w "$tmp"
}
# shellcheck source=tests/install/lib.sh
source "${0%/*}/lib.sh" Xvfb xdotool xprop xwininfo at
# shellcheck source=tools/screenshots/xsession.sh
source "$source_dir/tools/screenshots/xsession.sh"
prefix=$tmp/usr home=$tmp/home program=$tmp/usr/lib/solmira/solmira

# The at jobs that start the installed program (root sees every user's).
jobs_of_program() {
    for job in $(atq 2>/dev/null | cut -f1); do
        at -c "$job" 2>/dev/null | grep -qxF "# solmira start of: $program" && echo "$job"
    done
    true
}

# --- Installed where the user cannot write --------------------------------------------------
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R a-w "$prefix/lib/solmira"
mkdir -p "$home" && mkdir -m 700 "$tmp/runtime" && chown "$user:" "$home" "$tmp/runtime"
# Without a display, the help and the version are answered as any command answers them.
version=$(sed -n 's/^project(Solmira VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ "$(env -i PATH=/usr/bin:/bin "$prefix/bin/solmira" --version)" = "solmira $version" ] ||
    fail "solmira --version does not answer without a display"
env -i PATH=/usr/bin:/bin "$prefix/bin/solmira" --help | grep -q '^Usage: solmira ' ||
    fail "solmira --help does not answer without a display"
x_start "$tmp" 1920x1080
# Under the sanitizers, the leaks of the system's libraries on a real display are not ours.
install -m 644 "$source_dir/tests/install/lsan-suppressions.txt" "$tmp/lsan-suppressions.txt"

# Starts the installed command as the user, with a home of its own and the at scheduler,
# and the environment given.
start_program() {
    "${as_user[@]}" env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$tmp/runtime" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb SOLMIRA_START_SERVICE=at \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        LSAN_OPTIONS="suppressions=$tmp/lsan-suppressions.txt" "$@" "$prefix/bin/solmira" >>"$tmp/program.log" 2>&1 &
    program_pid=$!
}

# Escape on the main window ends the program within the time. A key that comes before
# the window is ready for it is lost, so it is given up to three times.
end_with_escape() {
    for _ in 1 2 3; do
        x_keys "$1" Escape
        wait_for_end "$program_pid" 5 || continue
        wait "$program_pid" || fail "the program ended with status $?"
        program_pid="" && return
    done
    fail "Escape did not end the program"
}

# Checks a window's type and the window it belongs to (none for the main window); a window
# is modal to its owner alone, so the main window is not.
check_window() {
    [ "$(x_window_type "$2")" = "$3" ] || fail "$1 is mapped as $(x_window_type "$2"), not as $3"
    [ "$(x_transient_for "$2")" = "${4:-}" ] || fail "$1 is not owned by its window"
    local modal=""
    xprop -id "$2" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL && modal=yes
    [ "$modal" = "${4:+yes}" ] || fail "$1 is modal: '${modal:-no}', with its owner '${4:-none}'"
}

# --- The first start asks for the settings ---------------------------------------------------
start_program
settings=$(x_wait_window Settings)
x_window_shown 'REZEZO 1.0' && fail "the main window is shown before the settings are given"
check_window "the first start's Settings window" "$settings" DIALOG "$(x_window_named 'REZEZO 1.0')"

# AutoRun on (its box is the third stop after OK) brings a notice; then OK keeps the settings.
x_keys "$settings" Tab Tab space
notice=$(x_wait_window 'Support Notice')
check_window "the Support Notice box" "$notice" DIALOG "$settings"
x_close "$notice" Return
x_keys "$settings" KP_Enter  # the keypad's Enter is OK too
x_close "$(x_wait_window Autorun)" Return

# --- The main window ---------------------------------------------------------------------
main=$(x_wait_window 'REZEZO 1.0')
check_window "the main window" "$main" NORMAL
# The larger sizes follow shortly (256 pixels are more than one X request may carry, so
# X11 takes up to 128); the window may be made larger than it opens. xprop draws each
# size, so its output is read whole rather than cut off by the first match.
icon=""
for _ in $(seq 100); do
    xprop -id "$main" _NET_WM_ICON | grep -c "Icon (128 x 128)" >/dev/null && icon=128 && break
    sleep 0.1
done
[ -n "$icon" ] || fail "the main window has no 128 x 128 icon"
xprop -id "$main" WM_NORMAL_HINTS | grep -q 'program specified maximum size' && fail "the main window cannot be made larger"
xprop -id "$main" WM_CLASS | grep -q '"solmira"' || fail "the main window's class is not solmira"
[ -s "$home/data/solmira/slm.dat" ] || fail "the settings are not in the user's folder"
about=$(x_open_about "$main")
check_window "the About window" "$about" DIALOG "$main"
x_close "$about" Escape
end_with_escape "$main"

# --- The second start does not ask again; its session's display is gone, and the one saved
# at the registration stands in -------------------------------------------------------------
start_program DISPLAY=:57 SOLMIRA_SAVED_DISPLAY="$DISPLAY"
main=$(x_wait_window 'REZEZO 1.0')
x_window_shown Settings && fail "the second start asks for the settings again"
end_with_escape "$main"
# Each start replaces the pending start (registered in the background, which the end waits
# for) with its own: one at job starts the installed program.
jobs=$(jobs_of_program)
[ "$(echo "$jobs" | grep -c .)" -eq 1 ] && at -c "$jobs" | grep -qF "exec '$program' " ||
    fail "the daily start is not one at job that starts $program: '$jobs'"

# --- A large font at twice the scale: the window, and what it can be made, fit the screen ------
mkdir -p "$home/.config/gtk-3.0" && printf '[Settings]\ngtk-font-name=Cantarell 18\n' >"$home/.config/gtk-3.0/settings.ini"
start_program QT_QPA_PLATFORMTHEME=gtk3 QT_STYLE_OVERRIDE=Adwaita QT_SCALE_FACTOR=2
main=$(x_wait_window 'REZEZO 1.0')
read -r x y w h < <(x_geometry "$main")
((x >= 0 && y >= 0 && x + w <= 1920 && y + h <= 1080)) || fail "the main window (${w}x$h+$x+$y) leaves the screen"
read -r w h < <(xprop -id "$main" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
((w <= 1920 && h <= 1080)) || fail "the main window cannot be made smaller than ${w}x$h"
end_with_escape "$main"

finish "the installed program's windows are as they should be"
