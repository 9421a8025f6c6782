# Sourced by test scripts that, as root, run programs as the unprivileged test user
# kirutest (compositors refuse root; XScreenSaver runs as a user). Scripts run at
# once (ctest -j, two checkouts) share the one user:
#   claim_test_user    holds a shared lock for the script's life, then makes the user
#                      when missing (marked as the tests' own in its comment field)
#   release_test_user  drops the hold; the last holder out removes the user, and only
#                      when the tests made it (a user found on the machine is kept)
# A script killed before its release leaves the user behind: the next script's
# release removes it.
TEST_USER=kirutest
TEST_USER_MARK="Kiru test user (made by the tests)"
TEST_USER_LOCK=/run/lock/kiru-test-user.lock
[ -d /run/lock ] || TEST_USER_LOCK=/tmp/kiru-test-user.lock
TEST_USER_HOLD=

claim_test_user() {
  [ "$(id -u)" = 0 ] && [ -z "$TEST_USER_HOLD" ] || return 0
  local ready
  ready=$(mktemp -u)
  # One process holds the lock, so that the script's own children (which may
  # outlive it by a moment) do not; it lets go when the script is gone, even killed.
  sh -c 'exec 9>>"$1" && flock -s 9 && : >"$2" && while kill -0 "$3" 2>/dev/null; do sleep 1 9>&-; done' \
    sh "$TEST_USER_LOCK" "$ready" "$$" &
  TEST_USER_HOLD=$!
  while [ ! -e "$ready" ]; do
    kill -0 "$TEST_USER_HOLD" 2>/dev/null || { echo "cannot hold $TEST_USER_LOCK" >&2; return 1; }
    sleep 0.02
  done
  rm -f "$ready"
  # One at a time: two useradd at once both make the user, under two ids.
  (
    flock -x 9
    id "$TEST_USER" >/dev/null 2>&1 || useradd -M -d /nonexistent -s /bin/sh -c "$TEST_USER_MARK" "$TEST_USER"
  ) 9>>"$TEST_USER_LOCK.new"
}

release_test_user() {
  [ -n "$TEST_USER_HOLD" ] || return 0
  kill "$TEST_USER_HOLD" 2>/dev/null || true
  wait "$TEST_USER_HOLD" 2>/dev/null || true
  TEST_USER_HOLD=
  (
    flock -x -n 9 || exit 0  # another script still holds it
    [ "$(getent passwd "$TEST_USER" | cut -d: -f5)" = "$TEST_USER_MARK" ] || exit 0
    for _ in $(seq 1 50); do pgrep -u "$TEST_USER" >/dev/null || break; sleep 0.1; done  # Xwayland going
    userdel "$TEST_USER" || echo "could not remove user $TEST_USER" >&2
  ) 9>>"$TEST_USER_LOCK"
}
