#!/usr/bin/env bash
# Pictures of Solmira for the README and the AppStream metadata: the main window, the
# Options menu opened, the Settings window and the About window, from the real program
# under a virtual X server, on 21 March 2026 at 9:00. Then the same at twice the scale
# (NAME-scale2.png, in Qt's Fusion style) and in GNOME's Adwaita style (NAME-adwaita.png).
#
#   tools/screenshots/make_screenshots.sh [BUILD_DIR [OUT_DIR]]
#
# BUILD_DIR (by default build) holds the built program, book and chime in bin/; OUT_DIR is
# by default docs/screenshots. Needs Xvfb, xdotool, x11-utils, ImageMagick and faketime.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=${2:-docs/screenshots}

for tool in Xvfb xdotool xwininfo import faketime; do
    command -v "$tool" >/dev/null || {
        echo "$tool is not installed: apt-get install xvfb xdotool x11-utils imagemagick faketime" >&2
        exit 1
    }
done
# shellcheck source=tools/screenshots/xsession.sh
source tools/screenshots/xsession.sh

tmp=$(mktemp -d)
program_pid=""
cleanup() {
    set +e
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2>/dev/null
        wait "$program_pid" 2>/dev/null
    fi
    x_stop
    cat "$tmp/program.log" >&2
    rm -rf "$tmp"
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

# A program folder of its own: the program, the book, the chime, and settings with the
# chime on and the daily start at 7:00. The record is two 32-bit flags and a date-time of
# eight 16-bit fields (year, month, day of week, day, hour, minute, second, milliseconds).
folder=$tmp/solmira
mkdir -p "$folder" "$tmp/home"
cp "$build/bin/solmira" "$build/bin/solmiraverse.pdb" "$build/bin/slm.wav" "$folder/"
printf '\x01\0\0\0\x01\0\0\0\xea\x07\x03\0\x06\0\x15\0\x07\0\0\0\0\0\0\0' >"$folder/slm.dat"

x_start "$tmp"
mkdir -p "$out"

# Every window of one run of the program, with the environment given, as NAME$1.png.
shoot() {
    local suffix=$1
    shift
    # The clock starts at the fixed time and runs on; the program's timers keep the real one.
    env "$@" FAKETIME_DONT_FAKE_MONOTONIC=1 TZ=UTC LANG=C.UTF-8 HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data" \
        XDG_STATE_HOME="$tmp/home/state$suffix" XDG_RUNTIME_DIR="$tmp" QT_QPA_PLATFORM=xcb \
        SOLMIRA_START_SERVICE=none CANBERRA_DRIVER=null \
        faketime -f '@2026-03-21 09:00:00' "$folder/solmira" >"$tmp/program.log" 2>&1 &
    program_pid=$!

    main=$(x_wait_window 'REZEZO 1.0')
    grab "main$suffix.png" "$main"

    menu=$(x_open_menu "$main")
    grab "options-menu$suffix.png" "$main" "$menu"
    x_close "$menu" Escape

    # With the daily start on, the Settings window first reminds of it.
    settings=$(x_open_settings_with_autorun "$main")
    grab "settings$suffix.png" "$settings"
    x_close "$settings" Escape

    about=$(x_open_about "$main")
    grab "about$suffix.png" "$about"
    x_close "$about" Escape

    x_keys "$main" Escape
    wait_for_end "$program_pid" || echo "the program did not end on Escape" >&2
    program_pid=""
}

# A window is drawn shortly after it is mapped.
grab() {
    sleep 0.5
    x_grab "$out/$1" "${@:2}"
    echo "$out/$1"
}

shoot ""
shoot -scale2 QT_SCALE_FACTOR=2 QT_STYLE_OVERRIDE=Fusion
shoot -adwaita QT_STYLE_OVERRIDE=Adwaita
