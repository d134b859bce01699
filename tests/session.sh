# Shared by the display wrappers (with-xvfb, with-weston): runs a test
# command in a session of its own and makes sure nothing it started outlives
# it. CTest waits for a test's output to close, not only for the test to
# end, so a process left holding that output keeps it waiting until its time
# limit: here such a process is ended at once and the test fails, naming it.
# Sourced, not run.

# Sets STAT_STATE, STAT_PPID, STAT_SID and STAT_START to the state, parent,
# session and start time of process $1 (fields 3, 4, 6 and 22 of its stat
# line, after the command, which may hold spaces). Builtins only: it runs
# for every process on the machine, and one may end while it is read.
read_stat() {
  local line IFS=' '
  { read -r line <"/proc/$1/stat"; } 2>/dev/null || return 1
  set -f
  # shellcheck disable=SC2086
  set -- ${line##*) }
  set +f
  STAT_STATE=$1 STAT_PPID=$2 STAT_SID=$4 STAT_START=${20:-0}
}

# Whether process $1, started after this shell, came from the command: its
# parents lead to the command's session, this shell, or (orphaned) to the
# system's first process, never through a process older than this shell (a
# bus daemon that was there before, and the services it starts).
from_command() {
  local pid=$1 sid=$2 since=$3 i
  for ((i = 0; i < 64; i++)); do
    read_stat "$pid" || return 1
    [ "$STAT_SID" = "$sid" ] && return 0
    [ "$STAT_START" -gt "$since" ] || return 1
    pid=$STAT_PPID
    [ "$pid" -le 1 ] || [ "$pid" = $$ ] && return 0
  done
  return 1
}

# Whether process $1 holds any of the files named in the array OUTS, or
# carries the wrapper's mark ($ZT_SESSION_MARK) in its environment.
holds_ours() {
  local dir=/proc/$1 fd out
  for fd in "$dir"/fd/*; do
    for out in "${OUTS[@]}"; do
      [ "$fd" -ef "$out" ] 2>/dev/null && return 0
    done
  done
  { [ -n "${ZT_SESSION_MARK:-}" ] && tr '\0' '\n' <"$dir/environ" | grep -qx "ZT_SESSION_MARK=$ZT_SESSION_MARK"; } 2>/dev/null
}

# The processes that the command in session $1 left: those of the session,
# and those that came from it after this shell started and hold this shell's
# standard output or error (a pipe CTest reads, on any descriptor) or carry
# its mark, whichever session they moved to; one "PID COMMAND LINE" a line.
# The processes given, and this shell's own, are spared.
session_leftovers() {
  local sid=$1
  shift
  local spare=" $$ $BASHPID $* " since dir pid args fd
  OUTS=()
  for fd in 1 2; do
    [ -p /proc/$$/fd/$fd ] || [ -S /proc/$$/fd/$fd ] && OUTS+=("/proc/$$/fd/$fd")
  done
  read_stat $$ || return 0
  since=$STAT_START
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [[ $spare == *" $pid "* ]] && continue
    read_stat "$pid" && [ "$STAT_STATE" != Z ] || continue
    if [ "$STAT_SID" != "$sid" ]; then
      [ "$STAT_START" -gt "$since" ] && from_command "$pid" "$sid" "$since" && holds_ours "$pid" || continue
    fi
    args=$({ tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null) || continue
    [ -n "$args" ] || args="[$({ cat "$dir/comm"; } 2>/dev/null)]"
    # One that ended while it was looked at was not left behind.
    kill -0 "$pid" 2>/dev/null && printf '%s %s\n' "$pid" "${args% }"
  done
}

# Runs "$@" in a session of its own, its standard input closed, and returns
# its status; where it left anything running (in its session, holding this
# shell's output, or carrying its mark), ends that, names it on standard
# error and returns 1. $ZT_SPARE lists further processes of the wrapper's
# own (its server). A signal to the wrapper goes on to the command.
run_in_session() {
  local wrapper=${0##*/}
  # Without job control a background job leads no group, so setsid runs the
  # command in the same process: its id is the session's.
  set +m
  ZT_SESSION_MARK="$$-$RANDOM$RANDOM"
  export ZT_SESSION_MARK
  setsid "$@" </dev/null &
  local cpid=$!
  trap 'kill -TERM -- -'"$cpid"' 2>/dev/null' INT TERM HUP
  local status
  while :; do
    wait "$cpid"
    status=$?
    kill -0 "$cpid" 2>/dev/null || break
  done
  trap - INT TERM HUP
  # What is still ending by itself is given a moment; what keeps starting
  # anew is looked for until two looks in a row find nothing.
  local left= pid i clean=0 found=
  for ((i = 0; i < 40 && clean < 2; i++)); do
    # shellcheck disable=SC2086
    left=$(session_leftovers "$cpid" ${ZT_SPARE:-})
    if [ -z "$left" ]; then
      clean=$((clean + 1))
      continue
    fi
    clean=0
    if ((i >= 20)); then
      found+=$left$'\n'
      while read -r pid _; do kill -KILL "$pid" 2>/dev/null; done <<<"$left"
    fi
    sleep 0.1
  done
  [ -z "$found$left" ] && return "$status"
  printf '%s: the command ended (status %s) but left running:\n%s\n' "$wrapper" "$status" \
    "$(printf '%s\n%s' "$found" "$left" | sed '/^$/d' | sort -u -k1,1n)" >&2
  while read -r pid _; do [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; done <<<"$left"
  return 1
}

# Ends the server $1 that the wrapper started: asked to, then, after five
# seconds, killed, saying so.
end_server() {
  local pid=$1 name=$2 i
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for ((i = 0; i < 250; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.02
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "${0##*/}: $name did not end within 5 s of the command; killed" >&2
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
  return 0
}
