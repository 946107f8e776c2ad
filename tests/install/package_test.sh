#!/usr/bin/env bash
# The install and the Debian package as the desktop's and Debian's tools see them: every
# file in its place and no other, the command a relative link to the program, the desktop
# entry and the metadata valid, the manual pages rendering without a warning, the package's
# files owned by root with the usual modes, its dependencies found, and lintian content.
#
#   package_test.sh BUILD_DIR     exit 77 (skipped) where the tools are not installed
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli man lintian; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (./dev.sh test installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Every file an install lays out under its prefix.
installed_files() {
    cat <<'LIST'
bin/solmira -> ../lib/solmira/solmira
bin/solmira-book
lib/solmira/slm.wav
lib/solmira/solmira
lib/solmira/solmiraverse.pdb
share/applications/org.example.Solmira.desktop
share/doc/solmira/copyright
share/icons/hicolor/128x128/apps/solmira.png
share/icons/hicolor/16x16/apps/solmira.png
share/icons/hicolor/22x22/apps/solmira.png
share/icons/hicolor/24x24/apps/solmira.png
share/icons/hicolor/256x256/apps/solmira.png
share/icons/hicolor/32x32/apps/solmira.png
share/icons/hicolor/48x48/apps/solmira.png
share/icons/hicolor/64x64/apps/solmira.png
share/icons/hicolor/scalable/apps/solmira.svg
share/bash-completion/completions/solmira-book
share/man/man1/solmira-book.1.gz
share/man/man1/solmira.1.gz
share/metainfo/org.example.Solmira.metainfo.xml
LIST
}

# The files and links under a prefix, a link with its target, as installed_files lists them.
layout_of() {
    (cd "$1" && find . -type l -printf '%P -> %l\n' -o ! -type d -printf '%P\n' | sort)
}

check_layout() {
    local name=$1 prefix=$2
    if ! diff -u <(installed_files | sort) <(layout_of "$prefix") >"$tmp/diff"; then
        fail "$name: the installed files differ from the layout"
        cat "$tmp/diff"
    fi
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
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.example.Solmira.metainfo.xml" >"$tmp/as" 2>&1 ||
    { fail "appstreamcli validate"; cat "$tmp/as"; }

for page in "$prefix"/share/man/man1/*.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$tmp/page" 2>"$tmp/warnings" || fail "man -l $page"
    if [ -s "$tmp/warnings" ]; then
        fail "man -l ${page##*/} warns:"
        cat "$tmp/warnings"
    fi
    grep -q '^NAME' "$tmp/page" || fail "${page##*/} renders without its NAME section"
done

# --- The package ----------------------------------------------------------------------------
(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack" 2>&1) ||
    { cat "$tmp/cpack"; fail "cpack"; exit 1; }
deb=$(echo "$tmp"/package/solmira_*.deb)
dpkg-deb -c "$deb" >"$tmp/contents"
cat "$tmp/contents"

# The package holds the install under /usr, and what Debian asks of every package.
expected=$( (installed_files && printf '%s\n' share/doc/solmira/changelog.Debian.gz \
    share/lintian/overrides/solmira) | sort)
actual=$(awk '$1 !~ /^d/ { path = substr($6, 7); print ($7 == "->") ? path " -> " $8 : path }' "$tmp/contents" | sort)
diff -u <(echo "$expected") <(echo "$actual") || fail "the package's files differ from the layout"

# Owned by root; folders and programs 755, other files 644.
awk '$2 != "root/root" { print "FAIL: not owned by root: " $0 }
     /^d/ && $1 != "drwxr-xr-x" { print "FAIL: folder mode: " $0 }
     /^-/ && $1 != "-rw-r--r--" && $6 !~ /\/(bin\/solmira-book|lib\/solmira\/solmira)$/ { print "FAIL: file mode: " $0 }
     /^-/ && $1 != "-rwxr-xr-x" && $6 ~ /\/(bin\/solmira-book|lib\/solmira\/solmira)$/ { print "FAIL: program mode: " $0 }' \
    "$tmp/contents" >"$tmp/modes"
if [ -s "$tmp/modes" ]; then
    cat "$tmp/modes"
    failures=$((failures + 1))
fi

dpkg-deb -f "$deb" Package Version Section Maintainer Depends
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcanberra0 libc6 qt6-qpa-plugins; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done

# No error and no warning.
lintian --fail-on error "$deb" 2>/dev/null | tee "$tmp/lintian" || fail "lintian reports errors"
if grep '^W:' "$tmp/lintian"; then
    fail "lintian warns"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "the install and the package are as laid out"
