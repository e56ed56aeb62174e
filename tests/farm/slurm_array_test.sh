#!/bin/sh
# Runs the Slurm job-array recipe (examples/render-farm/flight-array.sbatch) on
# a private one-node cluster and checks that its three tasks give the same 24
# frames, byte for byte, as one run of the whole flight.
#
#   sh tests/farm/slurm_array_test.sh KALVENOR SOURCE_DIR
#
# The cluster lives in a temporary directory: its own munge key and socket,
# its own slurm.conf on free ports, state, spool and logs. Nothing outside the
# directory is touched, and the daemons are stopped whatever happens.
#
# Exit status: 0 pass, 1 fail, 77 skipped (Slurm or munge missing, or the
# daemons cannot be started on this machine).
set -u

FRAMES=24
TASKS=3
SCRIPT=examples/flyover.scr
RECIPE=examples/render-farm/flight-array.sbatch
NODE_WAIT=60     # seconds for the node to come up idle
JOB_WAIT=300     # seconds for the whole array to finish

if [ $# -ne 2 ]; then
    echo "usage: $0 KALVENOR SOURCE_DIR" >&2
    exit 1
fi
kalvenor=$1
source_dir=$2

for tool in munged munge unmunge slurmctld slurmd sbatch sinfo scontrol scancel squeue; do
    if ! command -v "$tool" >/dev/null 2>&1 && [ ! -x "/usr/sbin/$tool" ]; then
        echo "SKIP: $tool is not installed; 'make test-deps' installs Slurm and munge"
        exit 77
    fi
done
for tool in timeout cmp; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
PATH=$PATH:/usr/sbin:/sbin

case $kalvenor in
    /*) ;;
    *) kalvenor=$(pwd)/$kalvenor ;;
esac
case $source_dir in
    /*) ;;
    *) source_dir=$(pwd)/$source_dir ;;
esac

fail() {
    echo "FAIL: $*"
    exit 1
}

[ -x "$kalvenor" ] || fail "program not found or not executable: $kalvenor"
[ -f "$source_dir/$RECIPE" ] || fail "recipe not found: $source_dir/$RECIPE"
[ -f "$source_dir/$SCRIPT" ] || fail "script not found: $source_dir/$SCRIPT"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kalvenor-farm-slurm.XXXXXX") || fail "cannot make a temporary directory"
conf=$tmp/etc/slurm.conf
sock=$tmp/munge/munge.socket
munged_pid=
slurmctld_pid=
slurmd_pid=

# Slurm's clients, always against our cluster and never without a time limit.
slurm() {
    env SLURM_CONF="$conf" timeout 20 "$@"
}

# Stops one daemon we started: TERM, up to 10 s to go, then KILL.
stop_pid() {
    [ -n "$1" ] || return 0
    kill -TERM "$1" 2>/dev/null || return 0
    n=0
    while kill -0 "$1" 2>/dev/null && [ $n -lt 20 ]; do
        sleep 0.5
        n=$((n + 1))
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}

# Step daemons and job processes outlive slurmd; every one of them was started
# with our temporary directory in its environment (SLURM_CONF, OUT), which is
# how they are told from anything else on the machine.
stop_leftovers() {
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [ "$pid" = "$$" ] && continue
        if { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qF "$tmp/"; then
            kill -KILL "$pid" 2>/dev/null
        fi
    done
}

cleanup() {
    rc=$?
    trap - EXIT HUP INT TERM
    if [ -n "$slurmctld_pid" ] && [ -s "$tmp/sbatch.out" ]; then
        job=$(head -n 1 "$tmp/sbatch.out" | cut -d';' -f1)
        [ -n "$job" ] && slurm scancel "$job" >/dev/null 2>&1
    fi
    stop_pid "$slurmd_pid"
    stop_pid "$slurmctld_pid"
    stop_leftovers
    stop_pid "$munged_pid"
    rm -rf "$tmp"
    exit $rc
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# In the foreground the daemons copy their log to stderr (*.out), which also
# holds what they say before the log file is open.
show_logs() {
    for daemon in munged slurmctld slurmd; do
        log=$tmp/log/$daemon.out
        [ -s "$log" ] || log=$tmp/log/$daemon.log
        [ -s "$log" ] || continue
        echo "---- last lines of $daemon's log"
        tail -n 15 "$log"
    done
}

# The cluster could not be brought up here: not a fault of the program.
skip_cluster() {
    show_logs
    echo "SKIP: $* (a private Slurm cluster cannot run on this machine)"
    exit 77
}

. "$(dirname "$0")/frames.sh"

mkdir -p "$tmp/munge" "$tmp/etc" "$tmp/state" "$tmp/spool" "$tmp/log" "$tmp/run" \
         "$tmp/jobs" "$tmp/array" "$tmp/one" || fail "cannot fill $tmp"

# The reference: one run of the whole flight.
echo "== one run of frames 0-$((FRAMES - 1))"
if ! (cd "$source_dir" && "$kalvenor" run "$SCRIPT" --out "$tmp/one/f" --format png \
        --frames "0-$((FRAMES - 1))" --quiet) >"$tmp/one.log" 2>&1; then
    cat "$tmp/one.log"
    fail "the single run exited with an error"
fi

# munge, with a key of its own.
echo "== starting munged"
dd if=/dev/urandom of="$tmp/munge/munge.key" bs=1024 count=1 2>/dev/null || fail "cannot write a munge key"
chmod 0400 "$tmp/munge/munge.key"
munged --foreground --force --key-file="$tmp/munge/munge.key" --socket="$sock" \
    --pid-file="$tmp/run/munged.pid" --seed-file="$tmp/munge/munged.seed" \
    --log-file="$tmp/log/munged.log" >"$tmp/log/munged.out" 2>&1 &
munged_pid=$!
n=0
until [ -S "$sock" ] && timeout 5 munge -S "$sock" -n 2>/dev/null | timeout 5 unmunge -S "$sock" >/dev/null 2>&1; do
    kill -0 "$munged_pid" 2>/dev/null || skip_cluster "munged exited at start"
    n=$((n + 1))
    [ $n -lt 40 ] || skip_cluster "munged did not answer within 20 s"
    sleep 0.5
done

# Two free TCP ports, one for each daemon.
free_ports() {
    if command -v python3 >/dev/null 2>&1; then
        python3 -c '
import socket
s = [socket.socket() for _ in range(2)]
for x in s:
    x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])'
    else
        # Random ports that nothing listens on.
        used=$(ss -Htan 2>/dev/null | awk '{ n = split($4, a, ":"); print a[n] }')
        found=""
        while [ "$(echo $found | wc -w)" -lt 2 ]; do
            p=$(( $(od -An -N2 -tu2 /dev/urandom) % 20000 + 30000 ))
            echo "$used $found" | tr ' ' '\n' | grep -qx "$p" || found="$found $p"
        done
        echo $found
    fi
}
ports=$(free_ports) || fail "cannot find free ports"
set -- $ports
ctld_port=$1
slurmd_port=$2

node=$(hostname -s 2>/dev/null || uname -n | cut -d. -f1)
cpus=$(nproc 2>/dev/null || echo 1)

# SelectType=select/cons_tres with CR_CPU lets the tasks share the node instead
# of taking it whole, one after another. MinJobAge keeps finished tasks in
# slurmctld long enough to be counted, yet short enough that `sbatch --wait`
# keeps polling every few seconds. An empty plug-in stack keeps the machine's
# own /etc/slurm out of the way.
: >"$tmp/etc/plugstack.conf"
cat >"$conf" <<EOF
ClusterName=kalvenorfarm
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
AuthInfo=socket=$sock
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/run/slurmctld.pid
SlurmdPidFile=$tmp/run/slurmd.pid
SlurmctldLogFile=$tmp/log/slurmctld.log
SlurmdLogFile=$tmp/log/slurmd.log
PlugStackConfig=$tmp/etc/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MinJobAge=16
NodeName=$node NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=farm Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF

echo "== starting slurmctld (port $ctld_port) and slurmd (port $slurmd_port) for node $node"
env SLURM_CONF="$conf" slurmctld -D >"$tmp/log/slurmctld.out" 2>&1 &
slurmctld_pid=$!
env SLURM_CONF="$conf" slurmd -D -N "$node" >"$tmp/log/slurmd.out" 2>&1 &
slurmd_pid=$!

n=0
while :; do
    kill -0 "$slurmctld_pid" 2>/dev/null || skip_cluster "slurmctld exited at start"
    kill -0 "$slurmd_pid" 2>/dev/null || skip_cluster "slurmd exited at start"
    state=$(slurm sinfo -h -n "$node" -o %T 2>/dev/null)
    [ "$state" = idle ] && break
    n=$((n + 1))
    [ $n -lt $NODE_WAIT ] || skip_cluster "node $node not idle after $NODE_WAIT s (state '$state')"
    sleep 1
done
echo "ok: node $node is idle"

# From here on the cluster is up: whatever goes wrong is a real failure.
echo "== sbatch --wait $RECIPE"
# In the background, so that a signal reaches our trap at once rather than
# after sbatch returns.
KALVENOR=$kalvenor OUT=$tmp/array env SLURM_CONF="$conf" timeout $JOB_WAIT \
    sbatch --wait --parsable --export=ALL --chdir="$source_dir" \
    --output="$tmp/jobs/flight-%A-%a.log" "$source_dir/$RECIPE" >"$tmp/sbatch.out" 2>"$tmp/sbatch.err" &
wait $!
sbatch_rc=$?
job=$(head -n 1 "$tmp/sbatch.out" | cut -d';' -f1)
if [ $sbatch_rc -ne 0 ]; then
    cat "$tmp/sbatch.err"
    slurm scontrol -o show job "$job" 2>/dev/null
    for log in "$tmp"/jobs/*; do [ -f "$log" ] && { echo "---- $log"; tail -n 20 "$log"; }; done
    show_logs
    [ $sbatch_rc -eq 124 ] && fail "the array did not finish within $JOB_WAIT s"
    fail "sbatch --wait exited with $sbatch_rc"
fi
[ -n "$job" ] || fail "sbatch printed no job id"
echo "ok: array job $job finished"

# Three tasks, numbered 0 to 2, each completed with status 0 and each with its
# own log.
slurm scontrol -o show job "$job" >"$tmp/tasks.txt" 2>&1 || { cat "$tmp/tasks.txt"; fail "scontrol cannot show job $job"; }
count=$(grep -c "ArrayJobId=$job " "$tmp/tasks.txt")
[ "$count" -eq $TASKS ] || { cat "$tmp/tasks.txt"; fail "$count array tasks, expected $TASKS"; }
t=0
while [ $t -lt $TASKS ]; do
    line=$(grep "ArrayJobId=$job ArrayTaskId=$t " "$tmp/tasks.txt")
    [ -n "$line" ] || { cat "$tmp/tasks.txt"; fail "array task $t did not run"; }
    echo "$line" | grep -q "JobState=COMPLETED " || fail "array task $t did not complete: $line"
    echo "$line" | grep -q "ExitCode=0:0 " || fail "array task $t failed: $line"
    [ -f "$tmp/jobs/flight-$job-$t.log" ] || fail "array task $t wrote no log"
    t=$((t + 1))
done
echo "ok: $TASKS array tasks completed"

same_frames array array

echo "PASS"
exit 0
