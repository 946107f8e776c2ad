# What the install checks share, sourced with the tools the check needs: it skips without
# them (see skip.sh), runs the program as an account of its own where the check is root (root may
# write anywhere; ./dev.sh test makes the account), and makes the check's folder. The check
# defines cleanup, which runs however it ends before the folder goes, and ends with finish.
# shellcheck source=tests/install/skip.sh
source "${BASH_SOURCE[0]%/*}/skip.sh"
for tool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (./dev.sh test installs it)"
done
user=$(id -un) as_user=() failures=0
if [ "$(id -u)" -eq 0 ]; then
    user=solmira-tester as_user=(setpriv --reuid=solmira-tester --regid=solmira-tester --clear-groups)
    getent passwd "$user" >/dev/null || { echo "FAIL: no account $user; ./dev.sh test makes it"; exit 1; }
fi
tmp=$(mktemp -d -t "solmira-test-$$-XXXXXX") && chmod 755 "$tmp"  # named so that a killed run's jobs go
trap 'set +e; cleanup; rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }; echo "$1"; }
