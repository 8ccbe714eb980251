# End-to-end test support, sourced by the scripts: waiting for something with a deadline.
# The script defines fail (report and exit 1).

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Runs the command "$@" until it succeeds; after $1 s gives up with fail "no $2 within $1 s",
# followed by poll_seen when the command left there what it saw last.
# The command runs as a condition, so one that fails while it finds nothing yet (a pipe under
# pipefail, a grep without a match) only means: not yet.
poll() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$(($(now_ms) + seconds * 1000))
  poll_seen=
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "no $what within $seconds s${poll_seen:+ (last seen: $poll_seen)}"
    sleep 0.05
  done
}
