# Sourced by the host tests' scripts. A loaded machine is slow, not wrong:
# wait for what is to be seen, never for a fixed time.
#   wait_until SECONDS COMMAND [ARG...]
# runs COMMAND every tenth of a second until it succeeds (status 0), or fails
# once SECONDS have passed.
wait_until() {
  local seconds="$1"; shift
  local deadline=$(( $(date +%s%N) + seconds * 1000000000 ))
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
