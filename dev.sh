#!/usr/bin/env bash
# Builds Solmira and runs it or its tests, installing what the build needs first.
#
#   ./dev.sh run              the program, with the book beside it
#   ./dev.sh test             the whole test suite
#   ./dev.sh test --sanitize  the test suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   ./dev.sh fuzz [SECONDS]   each fuzz target for SECONDS (default 45) with libFuzzer, under
#                             both sanitizers; built with clang in build-fuzz
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake make g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
          libcanberra-dev libxcb1-dev fonts-dejavu-core at systemd)
# What the tests of the installed program and its package use besides: the package's
# tools and checkers, a virtual X server to see the real windows in, and desktops' styles
# and themes to see them in, and a Wayland compositor with the toolkit's plugin for it.
TEST_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream man-db xvfb xdotool x11-utils imagemagick
               faketime adwaita-qt6 qt6-gtk-platformtheme dbus at-spi2-core python3-pyatspi
               gir1.2-atspi-2.0 weston qt6-wayland)
# The fuzzing engine comes with clang.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The daily start's tests use a real atd.
start_atd() {
    local pid
    pid=$(cat /run/atd.pid 2>/dev/null || true)
    [ -n "$pid" ] && [ -d "/proc/$pid" ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo atd
}

# The test of a system install runs the program as a user who cannot write its folder.
# Where the tests run as root, that is an account of their own: nobody may not use at.
make_test_account() {
    [ "$(id -u)" -eq 0 ] || return 0
    getent passwd solmira-tester >/dev/null && return
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin solmira-tester
}

build() {
    local dir=$1
    shift
    local options=() targets=()
    while [ $# -gt 0 ]; do
        if [ "$1" = --target ]; then
            targets+=("$@")
            break
        fi
        options+=("$1")
        shift
    done
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}

command=${1:-}
case "$command" in
run)
    install_packages "${PACKAGES[@]}"
    build build --target solmira book chime
    exec build/bin/solmira
    ;;
test)
    install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    start_atd
    make_test_account
    if [ "${2:-}" = "--sanitize" ]; then
        build build-sanitize -DSOLMIRA_SANITIZE=ON
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
        export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
        ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
    else
        build build
        ctest --test-dir build --output-on-failure -j"$(nproc)"
    fi
    ;;
fuzz)
    seconds=${2:-45}
    install_packages "${PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSOLMIRA_FUZZ=ON >/dev/null
    cmake --build build-fuzz --target solmira_fuzzers -j"$(nproc)"
    export ASAN_OPTIONS=detect_leaks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # What a run finds goes to build-fuzz/corpus; the committed seeds stay as they are.
    for seeds in tests/fuzz/corpus/*/; do
        target=$(basename "$seeds")
        mkdir -p "build-fuzz/corpus/$target" build-fuzz/logs
        log="build-fuzz/logs/$target.log"
        if ! "build-fuzz/tests/fuzz/solmira_fuzz_$target" -max_total_time="$seconds" -timeout=10 \
                -print_final_stats=1 "build-fuzz/corpus/$target" "$seeds" >"$log" 2>&1; then
            tail -n 60 "$log" >&2
            echo "fuzz target $target found a fault: $log" >&2
            exit 1
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "$target: $runs runs, $rate per second, no fault"
    done
    ;;
*)
    echo "usage: ./dev.sh run | test [--sanitize] | fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
