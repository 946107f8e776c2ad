#!/usr/bin/env bash
# The install and the Debian package as the desktop's and Debian's tools see them: every
# file in its place and no other, the command a relative link to the program, the desktop
# entry and the metadata valid, the manual pages rendering without a warning, the package's
# files owned by root with the usual modes, its dependencies found, and lintian content.
# A new user's solmira-book finds the book in each install. As root, apt installs and
# removes the package, and the removal takes another user's pending start of its program.
# Each cmake --install's own uninstall script leaves nothing of the program behind.
#
#   package_test.sh BUILD_DIR     exit 77 (skipped) where the tools are not installed
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli man lintian; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (./dev.sh test installs it)"; exit 77; }
done

# Root may write anywhere: the new user is an account of its own (./dev.sh test makes it).
user=$(id -un) as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=solmira-tester as_user=(setpriv --reuid=solmira-tester --regid=solmira-tester --clear-groups)
    getent passwd "$user" >/dev/null || { echo "FAIL: no account $user; ./dev.sh test makes it"; exit 1; }
fi

tmp=$(mktemp -d) && chmod 755 "$tmp"
package_installed="" test_jobs=""
cleanup() {
    set +e
    [ -z "$package_installed" ] || dpkg --purge solmira >/dev/null
    for job in $test_jobs; do atrm "$job" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every file an install lays out under its prefix.
installed_files() {
    printf 'share/icons/hicolor/%s/apps/solmira.png\n' 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256
    cat <<'LIST'
bin/solmira -> ../lib/solmira/solmira
bin/solmira-book
lib/solmira/slm.wav
lib/solmira/solmira
lib/solmira/solmiraverse.pdb
lib/solmira/uninstall
share/applications/org.example.Solmira.desktop
share/doc/solmira/copyright
share/icons/hicolor/scalable/apps/solmira.svg
share/bash-completion/completions/solmira-book
share/man/man1/solmira-book.1.gz
share/man/man1/solmira.1.gz
share/metainfo/org.example.Solmira.metainfo.xml
LIST
}

# The files and links under a prefix, a link with its target, as installed_files lists them.
check_layout() {
    diff -u <(installed_files | sort) <(cd "$2" && find . -type l -printf '%P -> %l\n' -o ! -type d -printf '%P\n' | sort) ||
        fail "$1: the installed files differ from the layout"
}

# --- A home install, and a staged system install ------------------------------------------
cmake --install "$build" --prefix "$tmp/home/.local" >/dev/null
check_layout "home install" "$tmp/home/.local"
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /usr >/dev/null
check_layout "staged install under /usr" "$tmp/stage/usr"

prefix=$tmp/home/.local
[ "$(readlink -f "$prefix/bin/solmira")" = "$prefix/lib/solmira/solmira" ] ||
    fail "bin/solmira does not lead to the program"
"$prefix/bin/solmira-book" check "$prefix/lib/solmira/solmiraverse.pdb" >/dev/null ||
    fail "the installed book does not pass solmira-book check"

desktop-file-validate "$prefix/share/applications/org.example.Solmira.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.example.Solmira.metainfo.xml" ||
    fail "appstreamcli validate"

# With a UTF-8 locale, and with none, as after su -.
for page in "$prefix"/share/man/man1/*.gz; do
    for locale in C.UTF-8 C; do
        LANG='' LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" >"$tmp/page" 2>"$tmp/warnings" ||
            fail "man -l $page"
        [ ! -s "$tmp/warnings" ] || fail "man -l ${page##*/} warns in the locale $locale: $(cat "$tmp/warnings")"
        grep -q '^NAME' "$tmp/page" || fail "${page##*/} renders without its NAME section"
    done
done

# A new user's solmira-book, by name in a login shell with nothing in their home but the
# install, reads the install's book: read, show and read --date give what the build gives.
chown -R "$user:" "$tmp/home"
new_home=$tmp/new-home
mkdir -m 755 "$new_home" && chown "$user:" "$new_home"
check_book_tool() {
    local name=$1 bin=$2 home=$3 args got
    for args in read "show 0" "read --date 2024-02-29"; do
        # shellcheck disable=SC2016,SC2086
        got=$("${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin \
            sh -lc 'PATH=$0:$PATH; exec solmira-book "$@"' "$bin" $args 2>&1) || true
        # shellcheck disable=SC2086
        [ "$got" = "$(env -u SOLMIRA_BOOK "$build/bin/solmira-book" $args)" ] ||
            fail "$name: solmira-book $args as a new user gives: ${got:0:200}"
    done
}
check_book_tool "home install" "$tmp/home/.local/bin" "$tmp/home"
check_book_tool "staged install under /usr" "$tmp/stage/usr/bin" "$new_home"

# --- The package ----------------------------------------------------------------------------
(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack" 2>&1) ||
    { cat "$tmp/cpack"; fail "cpack"; exit 1; }
deb=$(echo "$tmp"/package/solmira_*.deb)
dpkg-deb -c "$deb" >"$tmp/contents"

# The package holds the install under /usr, and what Debian asks of every package.
expected=$( (installed_files | grep -v uninstall && printf '%s\n' share/doc/solmira/changelog.Debian.gz \
    share/lintian/overrides/solmira) | sort)
actual=$(awk '$1 !~ /^d/ { path = substr($6, 7); print ($7 == "->") ? path " -> " $8 : path }' "$tmp/contents" | sort)
diff -u <(echo "$expected") <(echo "$actual") || fail "the package's files differ from the layout"

# Owned by root; folders and programs 755, other files 644.
awk '$2 != "root/root" || ($1 !~ /^l/ &&
     substr($1, 2) != ((/^d/ || $6 ~ /\/(bin\/solmira-book|lib\/solmira\/solmira)$/) ? "rwxr-xr-x" : "rw-r--r--"))' \
    "$tmp/contents" >"$tmp/modes"
[ ! -s "$tmp/modes" ] || fail "not owned by root, or not 755 (folders, programs) or 644: $(cat "$tmp/modes")"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcanberra0 libc6 qt6-qpa-plugins; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done

# No error and no warning.
lintian --fail-on error "$deb" 2>/dev/null | tee "$tmp/lintian" || fail "lintian reports errors"
! grep '^W:' "$tmp/lintian" || fail "lintian warns"

# A pending start as the program makes it, for the program $1, made by the command $2...
at_job() {
    printf '# solmira start of: %s\nexec %s\n' "$1" "$1" | (cd / && "${@:2}" at -t 209912310700 2>&1) |
        awk '$1 == "job" { print $2 }'
}
pending() { atq | cut -f1 | grep -x -e "$1" >/dev/null; }

# --- The package installed and removed with apt ---------------------------------------------
# Another user's daily start of the packaged program goes with it; root's start of another
# program stays. One package test at a time installs it.
[ "$(id -u)" -ne 0 ] || { exec 9>/run/lock/solmira-package-test && flock -w 200 9; }
if [ "$(id -u)" -ne 0 ] || ! command -v at >/dev/null || dpkg -s solmira >/dev/null 2>&1; then
    echo "not installing the package: that needs root, at, and no solmira installed on this machine"
else
    apt_get() {
        DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=120 "$@" >"$tmp/apt" 2>&1 ||
            { fail "apt-get $*"; cat "$tmp/apt"; }
    }
    theirs=$(at_job /usr/lib/solmira/solmira "${as_user[@]}") other=$(at_job /usr/lib/solmira/solmira-other)
    test_jobs="$theirs $other"
    pending "$theirs" && pending "$other" || fail "at did not take the test's jobs"
    package_installed=1
    apt_get install --no-install-recommends "$deb"
    check_book_tool "the installed package" /usr/bin "$new_home"
    apt_get remove solmira
    ! ls -d /usr/lib/solmira /usr/bin/solmira-book 2>/dev/null || fail "apt-get remove leaves the program"
    ! pending "$theirs" || fail "apt-get remove leaves $user's pending start of the program"
    pending "$other" || fail "apt-get remove takes a pending start of another program"
    dpkg --purge solmira >/dev/null && package_installed=""
fi

# --- Removing a cmake --install with its own script -----------------------------------------
# The user's settings and pending start are there; the script, typed as the README gives
# it, leaves their settings and says where, and nothing of the program.
"${as_user[@]}" touch "$tmp/home/.local/lib/solmira/slm.dat"
home_job=""
if command -v at >/dev/null; then
    home_job=$(at_job "$tmp/home/.local/lib/solmira/solmira" "${as_user[@]}") test_jobs="$test_jobs $home_job"
    pending "$home_job" || fail "at did not take the test's job"
fi
# shellcheck disable=SC2088
"${as_user[@]}" env -i HOME="$tmp/home" PATH=/usr/bin:/bin sh -lc '~/.local/lib/solmira/uninstall' >"$tmp/said" 2>&1 ||
    fail "the home install's uninstall: $(cat "$tmp/said")"
grep -qF "$tmp/home/.local/lib/solmira/slm.dat" "$tmp/said" || fail "the uninstall does not say where slm.dat stays"
left=$(cd "$tmp/home/.local" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')
[ "$left" = "lib lib/solmira lib/solmira/slm.dat " ] || fail "the uninstall leaves more than slm.dat: $left"
[ -z "$home_job" ] || ! pending "$home_job" || fail "the uninstall leaves the pending start"
"$tmp/stage/usr/lib/solmira/uninstall" >/dev/null || fail "the staged install's uninstall"
[ -z "$(ls -A "$tmp/stage/usr")" ] || fail "the staged install's uninstall leaves: $(cd "$tmp/stage/usr" && find .)"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "the install and the package are as laid out"
