# Shared by the display wrappers (with-xvfb, with-weston): runs a test
# command in a session of its own and makes sure nothing it started outlives
# it. CTest waits for a test's output to close, not only for the test to
# end, so a process left holding that output keeps it waiting until its time
# limit: here such a process is ended at once and the test fails, naming it.
# Sourced, not run.

# Sets STAT_STATE, STAT_SID and STAT_START to the state, session and start
# time of process $1 (fields 3, 6 and 22 of its stat line, after the command, which may hold
# spaces). Builtins only: it runs for every process on the machine.
read_stat() {
  local line
  read -r line <"/proc/$1/stat" 2>/dev/null || return 1
  local -a fields
  read -r -a fields <<<"${line##*) }"
  STAT_STATE=${fields[0]}
  STAT_SID=${fields[3]}
  STAT_START=${fields[19]}
}

# The processes that the command in session $1 left: those of the session,
# and those started after this shell that hold its standard output or error
# (a pipe CTest reads), whichever session they moved to; one "PID COMMAND
# LINE" a line. The processes given, and this shell's own, are spared.
session_leftovers() {
  local sid=$1
  shift
  local spare=" $$ $BASHPID $* " since dir pid held out fd args
  local -a outs=()
  for fd in 1 2; do
    [ -p /proc/$$/fd/$fd ] || [ -S /proc/$$/fd/$fd ] && outs+=("/proc/$$/fd/$fd")
  done
  read_stat $$ || return 0
  since=$STAT_START
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [[ $spare == *" $pid "* ]] && continue
    read_stat "$pid" && [ "$STAT_STATE" != Z ] || continue
    held=
    [ "$STAT_SID" = "$sid" ] && held=1
    if [ -z "$held" ] && [ "$STAT_START" -gt "$since" ]; then
      for out in "${outs[@]}"; do
        for fd in 1 2; do
          [ "$dir/fd/$fd" -ef "$out" ] && held=1
        done
      done
    fi
    [ -n "$held" ] || continue
    args=$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null) || continue
    [ -n "$args" ] || args="[$(cat "$dir/comm" 2>/dev/null)]"
    # One that ended while it was looked at was not left behind.
    kill -0 "$pid" 2>/dev/null && printf '%s %s\n' "$pid" "${args% }"
  done
}

# Runs "$@" in a session of its own, its standard input closed, and returns
# its status; where it left anything running (in its session or on this
# shell's output), ends that, names it on standard error and returns 1.
# $ZT_SPARE lists further processes of the wrapper's own (its server).
run_in_session() {
  local wrapper=${0##*/}
  setsid "$@" </dev/null &
  # Started in the background of a shell without job control, it leads no
  # group, so setsid runs it in the same process: its id is the session's.
  local cpid=$!
  wait "$cpid"
  local status=$? left i
  # What is still ending by itself is given a moment.
  for ((i = 0; i < 20; i++)); do
    # shellcheck disable=SC2086
    left=$(session_leftovers "$cpid" ${ZT_SPARE:-})
    [ -n "$left" ] || return "$status"
    sleep 0.1
  done
  printf '%s: the command ended (status %s) but left running:\n%s\n' "$wrapper" "$status" "$left" >&2
  local pid
  while read -r pid _; do kill -KILL "$pid" 2>/dev/null; done <<<"$left"
  return 1
}

# Ends the server $1 that the wrapper started: asked to, then, after five
# seconds, killed, saying so.
end_server() {
  local pid=$1 name=$2 i
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for ((i = 0; i < 50; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "${0##*/}: $name did not end within 5 s of the command; killed" >&2
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
  return 0
}
