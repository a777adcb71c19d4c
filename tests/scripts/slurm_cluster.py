#!/usr/bin/env python3
"""A single-node Slurm cluster on this machine, for tests and trials: munged,
slurmctld and slurmd with a minimal configuration for localhost, every file
(key, configuration, state, spool, logs, sockets) in one folder, on free
ports. Needs root (slurmd runs jobs as their users) and Debian's munge,
slurmctld, slurmd and slurm-client. Clients find the cluster through
SLURM_CONF=FOLDER/slurm.conf.

  slurm_cluster.py start FOLDER    starts it; prints the line to export
  slurm_cluster.py stop FOLDER     stops it
"""
import os
import shutil
import socket
import subprocess
import sys
import time

PROGRAMS = ["munged", "slurmctld", "slurmd", "sbatch", "squeue", "sinfo", "scancel"]
DAEMONS = ["slurmd", "slurmctld", "munged"]     # in the order they stop

CONF = """ClusterName=torva-test
SlurmctldHost=localhost
SlurmctldPort={ctld_port}
SlurmdPort={d_port}
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket={dir}/munge.socket
StateSaveLocation={dir}/state
SlurmdSpoolDir={dir}/spool
SlurmctldPidFile={dir}/slurmctld.pid
SlurmdPidFile={dir}/slurmd.pid
SlurmctldLogFile={dir}/slurmctld.log
SlurmdLogFile={dir}/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
MpiDefault=none
ReturnToService=2
MinJobAge=600
NodeName=localhost NodeAddr=127.0.0.1 CPUs={cpus} RealMemory={memory} State=UNKNOWN
PartitionName=torva Nodes=localhost Default=YES MaxTime=INFINITE State=UP
"""


class Unavailable(Exception):
    """Slurm cannot be started here; the text says why."""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def memory_mb():
    with open("/proc/meminfo") as f:
        total_kb = next(int(line.split()[1]) for line in f if line.startswith("MemTotal:"))
    return total_kb * 3 // 4 // 1024


class Cluster:
    def __init__(self, folder):
        self.folder = os.path.abspath(folder)
        self.conf = os.path.join(self.folder, "slurm.conf")
        self.env = dict(os.environ, SLURM_CONF=self.conf)

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self):
        missing = [p for p in PROGRAMS if not shutil.which(p)]
        if missing:
            raise Unavailable("Slurm is not installed (no %s; Debian: munge slurmctld slurmd slurm-client)"
                              % ", ".join(missing))
        if os.geteuid() != 0:
            raise Unavailable("starting slurmd needs root")
        for sub in ("state", "spool"):
            os.makedirs(self.path(sub), mode=0o700, exist_ok=True)
        os.chmod(self.folder, 0o700)
        with open(self.path("munge.key"), "wb") as f:
            f.write(os.urandom(1024))
        os.chmod(self.path("munge.key"), 0o400)
        with open(self.conf, "w") as f:
            f.write(CONF.format(dir=self.folder, ctld_port=free_port(), d_port=free_port(),
                                cpus=os.cpu_count() or 1, memory=memory_mb()))
        self.daemon(["munged", "--force", "--socket=" + self.path("munge.socket"),
                     "--key-file=" + self.path("munge.key"), "--log-file=" + self.path("munged.log"),
                     "--pid-file=" + self.path("munged.pid"), "--seed-file=" + self.path("munged.seed")])
        self.daemon(["slurmctld", "-f", self.conf])
        self.daemon(["slurmd", "-f", self.conf, "-N", "localhost"])
        self.wait_until_idle()

    def daemon(self, argv):
        proc = subprocess.run(argv, capture_output=True, text=True, env=self.env)
        if proc.returncode != 0:
            self.stop()
            raise Unavailable("%s did not start: %s" % (argv[0], (proc.stderr or proc.stdout).strip()))

    def wait_until_idle(self, seconds=60):
        deadline = time.monotonic() + seconds
        state = ""
        while time.monotonic() < deadline:
            proc = subprocess.run(["sinfo", "--noheader", "--format=%T"], capture_output=True, text=True,
                                  env=self.env)
            state = proc.stdout.strip() or proc.stderr.strip()
            if state in ("idle", "mixed", "allocated"):
                return
            time.sleep(0.5)
        self.stop()
        raise Unavailable("the node did not come up within %d s (sinfo: %s; logs in %s)"
                          % (seconds, state, self.folder))

    def stop(self):
        for name in DAEMONS:
            try:
                with open(self.path(name + ".pid")) as f:
                    pid = int(f.read().split()[0])
                os.kill(pid, 15)
            except (OSError, ValueError, IndexError):
                continue
            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and alive(pid):
                time.sleep(0.1)


def alive(pid):
    try:
        os.kill(pid, 0)
    except OSError:
        return False
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(") ")[-1][:1] != "Z"
    except OSError:
        return False


def main(argv):
    if len(argv) != 2 or argv[0] not in ("start", "stop"):
        sys.stderr.write(__doc__)
        return 2
    cluster = Cluster(argv[1])
    if argv[0] == "stop":
        cluster.stop()
        return 0
    os.makedirs(cluster.folder, exist_ok=True)
    try:
        cluster.start()
    except Unavailable as e:
        sys.stderr.write("slurm_cluster: %s\n" % e)
        return 1
    print("export SLURM_CONF=%s" % cluster.conf)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
