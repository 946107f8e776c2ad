# Removes each pending at job that starts the program $1: root removes every user's, anyone
# else their own. The program marks its jobs with a line of their own that names its path,
# a backslash or a line break in it escaped; a job of any other program stays.
remove_pending_starts() {
    command -v atq >/dev/null 2>&1 || return 0
    marker="# solmira start of: $(printf '%s\n' "$1" | sed 's/\\/\\\\/g; s/\r/\\r/g' |
        awk '{ printf "%s%s", (NR > 1 ? "\\n" : ""), $0 }')"
    for job in $(atq 2>/dev/null | cut -f1); do
        if at -c "$job" 2>/dev/null | grep -qxF -e "$marker"; then
            atrm "$job" 2>/dev/null || true
        fi
    done
}
