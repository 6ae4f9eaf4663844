# Sourced by the simulator's shell tests: starts dvr-sim on an address of
# the test's own and gives `control`, one command on its control port.
#   start_sim SIM ADDRESS LIFETIME IDLE   sets sim_pid; returns once it answers

# One control command; prints the reply.
control() {
  exec 3<>"/dev/tcp/$address/8001" || return 1
  printf '%s\n' "$*" >&3
  cat <&3
  exec 3<&-
}

start_sim() {
  address=$2
  "$1" --address "$address" --lifetime "$3" --idle "$4" >/dev/null &
  sim_pid=$!
  for _ in $(seq 50); do
    control ping 2>/dev/null | grep -q '^ok' && return 0
    sleep 0.1
  done
  return 1
}
