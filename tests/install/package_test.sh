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
package_installed="" test_jobs="" apt_not_run=""
cleanup() {
    [ -z "$package_installed" ] || dpkg --purge solmira >/dev/null
    for job in $test_jobs; do atrm "$job" 2>/dev/null; done
}
# shellcheck source=tests/install/lib.sh
source "${0%/*}/lib.sh" cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli man lintian at

# --- A home install, and a staged system install ------------------------------------------
prefix=$tmp/home/.local new_home=$tmp/new-home
cmake --install "$build" --prefix "$prefix" >/dev/null
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /usr >/dev/null

desktop-file-validate "$prefix/share/applications/org.example.Solmira.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.example.Solmira.metainfo.xml" || fail "appstreamcli"

# With no locale, as after su -.
for page in "$prefix"/share/man/man1/*.gz; do
    warnings=$(LANG='' LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$tmp/page") || true
    [ -z "$warnings" ] || fail "man -l ${page##*/} warns: $warnings"
    grep -q '^NAME' "$tmp/page" || fail "${page##*/} renders without its NAME section"
done

# A new user's solmira-book, by name in a login shell with nothing in their home but the
# install, reads the install's book as the build's does (every command finds it alike).
mkdir -m 755 "$new_home" && chown -R "$user:" "$tmp/home" "$new_home"
check_book_tool() {
    local got
    # shellcheck disable=SC2016
    got=$("${as_user[@]}" env -i HOME="$3" PATH=/usr/bin:/bin \
        sh -lc 'PATH=$0:$PATH; exec solmira-book read --date 2024-02-29' "$2" 2>&1) || true
    [ "$got" = "$(env -u SOLMIRA_BOOK "$build/bin/solmira-book" read --date 2024-02-29)" ] ||
        fail "$1: solmira-book read as a new user gives: ${got:0:200}"
}
check_book_tool "home install" "$prefix/bin" "$tmp/home"

# --- The package ----------------------------------------------------------------------------
(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack" 2>&1) ||
    { cat "$tmp/cpack"; fail "cpack"; exit 1; }
deb=$(echo "$tmp"/package/solmira_*.deb)
dpkg-deb -c "$deb" >"$tmp/contents"

# The package holds the install under /usr (as a cmake --install does under its prefix, which adds
# its uninstall script) and what Debian asks of every package, a link with its target.
expected=$(printf '%s\n' 'bin/solmira -> ../lib/solmira/solmira' bin/solmira-book lib/solmira/{slm.wav,solmira,solmiraverse.pdb} \
    share/applications/org.example.Solmira.desktop share/doc/solmira/{copyright,changelog.Debian.gz} \
    share/icons/hicolor/{{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/solmira.png,scalable/apps/solmira.svg} \
    share/man/man1/solmira{-book,}.1.gz share/metainfo/org.example.Solmira.metainfo.xml \
    share/bash-completion/completions/solmira-book share/lintian/overrides/solmira | sort)
actual=$(awk '$1 !~ /^d/ { path = substr($6, 7); print ($7 == "->") ? path " -> " $8 : path }' "$tmp/contents" | sort)
diff -u <(echo "$expected") <(echo "$actual") || fail "the package's files differ from the layout"

# Owned by root; folders and programs 755, other files 644.
awk '$2 != "root/root" || ($1 !~ /^l/ &&
     substr($1, 2) != ((/^d/ || $6 ~ /\/(bin\/solmira-book|lib\/solmira\/solmira)$/) ? "rwxr-xr-x" : "rw-r--r--"))' \
    "$tmp/contents" >"$tmp/modes"
[ ! -s "$tmp/modes" ] || fail "not owned by root, or not 755 (folders, programs) or 644: $(cat "$tmp/modes")"
for library in libqt6widgets6 libcanberra0 libc6 qt6-qpa-plugins; do
    [[ "$(dpkg-deb -f "$deb" Depends)" == *"$library"* ]] || fail "Depends lacks $library"
done
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian reports errors or warnings"

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
if [ "$(id -u)" -ne 0 ] || dpkg -s solmira >/dev/null 2>&1; then
    apt_not_run="installing the package needs root, and no solmira installed on this machine"
else
    apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=120)
    theirs=$(at_job /usr/lib/solmira/solmira "${as_user[@]}") other=$(at_job /usr/lib/solmira/solmira-other)
    test_jobs="$theirs $other" package_installed=1
    pending "$theirs" && pending "$other" || fail "at did not take the test's jobs"
    "${apt[@]}" install --no-install-recommends "$deb" >"$tmp/apt" 2>&1 || fail "apt-get install: $(cat "$tmp/apt")"
    check_book_tool "the installed package" /usr/bin "$new_home"
    "${apt[@]}" remove solmira >"$tmp/apt" 2>&1 || fail "apt-get remove: $(cat "$tmp/apt")"
    ! ls -d /usr/lib/solmira /usr/bin/solmira-book 2>/dev/null || fail "apt-get remove leaves the program"
    ! pending "$theirs" || fail "apt-get remove leaves $user's pending start of the program"
    pending "$other" || fail "apt-get remove takes a pending start of another program"
fi

# --- Removing a cmake --install with its own script -----------------------------------------
# The user's settings, their own book in place of the bundled one and their pending start
# are there; the script, typed as the README gives it, leaves their files and says where,
# and nothing of the program.
"${as_user[@]}" touch "$prefix/lib/solmira/slm.dat"
echo "my own book" | "${as_user[@]}" tee "$prefix/lib/solmira/solmiraverse.pdb" >/dev/null
home_job=$(at_job "$prefix/lib/solmira/solmira" "${as_user[@]}") test_jobs="$test_jobs $home_job"
pending "$home_job" || fail "at did not take the test's job"
# shellcheck disable=SC2088
"${as_user[@]}" env -i HOME="$tmp/home" PATH=/usr/bin:/bin sh -lc '~/.local/lib/solmira/uninstall' >"$tmp/said" 2>&1 ||
    fail "the home install's uninstall: $(cat "$tmp/said")"
for mine in slm.dat solmiraverse.pdb; do
    grep -qF "$prefix/lib/solmira/$mine" "$tmp/said" || fail "the uninstall does not say where $mine stays"
done
left=$(cd "$prefix" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')
[ "$left" = "lib lib/solmira lib/solmira/slm.dat lib/solmira/solmiraverse.pdb " ] ||
    fail "the uninstall leaves other than the user's files: $left"
! pending "$home_job" || fail "the uninstall leaves the pending start"
"$tmp/stage/usr/lib/solmira/uninstall" >/dev/null || fail "the staged install's uninstall"
[ -z "$(ls -A "$tmp/stage/usr")" ] || fail "the staged install's uninstall leaves: $(cd "$tmp/stage/usr" && find .)"

[ -z "$apt_not_run" ] || [ "$failures" -ne 0 ] || skip "the install checked, but not the package through apt: $apt_not_run"
finish "the install and the package are as laid out"
