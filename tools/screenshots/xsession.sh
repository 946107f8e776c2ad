# shellcheck shell=bash
# A virtual X server of one's own, the program's windows in it, keys to them and pictures
# of them: what the screenshot script and the window test share. Source it; it starts
# nothing by itself. Every wait gives up after its time.
#
# There is no window manager: windows have no frame, and a window is grabbed by cropping
# the root window to its place (grabbing the window itself can wait for ever without one).

x_server_pid=""

# Starts Xvfb on a display that no other server holds, with a screen of the size given
# (1024x768 by default), and sets DISPLAY to it.
x_start() {
    local folder=$1 screen=${2:-1024x768} number=""
    # Xvfb picks the free display itself and writes its number: no race with another server.
    # Without -noreset it starts afresh whenever its last client leaves, and a client that
    # comes meanwhile cannot connect.
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset -wr 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
    x_server_pid=$!
    for _ in $(seq 100); do
        number=$(cat "$folder/display" 2>/dev/null || true)
        [ -n "$number" ] && break
        sleep 0.1
    done
    if [ -z "$number" ]; then
        echo "Xvfb did not start:" >&2
        cat "$folder/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

x_stop() {
    if [ -n "$x_server_pid" ]; then
        kill "$x_server_pid" 2>/dev/null || true
        wait "$x_server_pid" 2>/dev/null || true
    fi
    x_server_pid=""
}

# The mapped window whose title is exactly the given one, waiting up to 15 seconds.
x_wait_window() {
    local title=$1 id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window \"$title\" within 15 seconds; the windows shown:" >&2
    for id in $(xdotool search --onlyvisible --maxdepth 1 --name '.*' 2>/dev/null || true); do
        echo "  $id \"$(xdotool getwindowname "$id" 2>/dev/null || true)\"" >&2
    done
    return 1
}

# A mapped top-level window of the program other than the given ones, such as an open
# menu, which has no title; waiting up to 15 seconds.
x_wait_other_window() {
    local id
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --maxdepth 1 --class solmira 2>/dev/null || true); do
            if [[ " $* " != *" $id "* ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    echo "no other window within 15 seconds" >&2
    return 1
}

# Opens the Options menu of the main window with its key, and gives the menu's window.
x_open_menu() {
    x_keys "$1" alt+o
    x_wait_other_window "$1"
    sleep 0.2
}

# Options > About on the main window, the item the menu opens on; gives the About window.
x_open_about() {
    x_open_menu "$1" >/dev/null
    xdotool key Return
    x_wait_window 'About Solmira'
}

# Options > Settings on the main window, with the daily start on: the reminder that comes
# first is closed, and the Settings window is given.
x_open_settings_with_autorun() {
    local notice
    x_open_menu "$1" >/dev/null
    xdotool key s
    notice=$(x_wait_window 'Support Notice')
    x_close "$notice" Return
    x_wait_window Settings
}

# Whether a window of that title is mapped now.
x_window_shown() {
    [ -n "$(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null || true)" ]
}

# Waits (up to 15 seconds, or as many as given) for a window to be unmapped or gone.
x_wait_unmapped() {
    local id=$1 seconds=${2:-15}
    for _ in $(seq $((seconds * 10))); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    echo "window $id still shown after $seconds seconds" >&2
    return 1
}

# A window's _NET_WM_WINDOW_TYPE, the first type it names (NORMAL, DIALOG, ...).
x_window_type() {
    xprop -id "$1" _NET_WM_WINDOW_TYPE | sed -n 's/.*= _NET_WM_WINDOW_TYPE_\([A-Z_]*\).*/\1/p'
}

# The window a window is transient for, as a decimal id, or nothing.
x_transient_for() {
    local owner
    owner=$(xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
    [ -n "$owner" ] && printf '%d\n' "$owner"
    return 0
}

# The top-level window of that title, mapped or not, as a decimal id.
x_window_named() {
    xdotool search --name "^${1}\$" 2>/dev/null | head -n 1
}

# Keys to a window: it takes the focus first, as a click on it would give it, and the keys
# go once it has it.
x_keys() {
    local id=$1
    shift
    for _ in $(seq 50); do
        xdotool windowfocus --sync "$id" 2>/dev/null || true
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && break
        sleep 0.1
    done
    sleep 0.2
    xdotool key --delay 80 "$@"
}

# Keys that close a window, given again (up to three times) while it stays: a key that
# comes before the window is ready for it is lost.
x_close() {
    local id=$1 try
    shift
    for try in 1 2 3; do
        x_keys "$id" "$@"
        x_wait_unmapped "$id" 5 2>/dev/null && return 0
        echo "window $id still shown after $* (try $try)" >&2
    done
    return 1
}

# A window's place on the screen: its left, top, width and height.
x_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                            /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# A picture of the part of the screen the given windows cover, as PNG.
x_grab() {
    local out=$1 left=100000 top=100000 right=0 bottom=0 x y w h
    shift
    for id in "$@"; do
        read -r x y w h < <(x_geometry "$id")
        ((x < left)) && left=$x
        ((y < top)) && top=$y
        ((x + w > right)) && right=$((x + w))
        ((y + h > bottom)) && bottom=$((y + h))
    done
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage -strip "$out"
}

# Waits (up to 15 seconds, or as many as given) for a process to end; false if it still runs.
wait_for_end() {
    local pid=$1 seconds=${2:-15}
    for _ in $(seq $((seconds * 10))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
