"""Campaigns as Slurm job arrays, for the campaign drivers (bench-run, fuzz-run).

A batch is a folder below the campaign's output: the driver writes there what
the tasks need (work.json: the work items and the settings to run them with),
submits one job array with sbatch whose task K runs the driver again on item
slice K (items K, K+T, K+2T, ... of T tasks, so that hard and easy items
spread over the tasks) and writes its results into the batch; job.json holds
the job id. The driver follows the job with squeue and merges the results as
they come; a batch is marked collected once its job has left the queue and
every result is merged. Queueing, placement, limits per task and accounting
are Slurm's: nothing here does them again.
"""
import argparse
import json
import os
import shlex
import subprocess
import sys
import time

# Job states of a job that may still write results.
ACTIVE = {"PENDING", "CONFIGURING", "RUNNING", "COMPLETING", "SUSPENDED", "REQUEUED", "REQUEUE_FED",
          "REQUEUE_HOLD", "RESIZING", "SIGNALING", "STAGE_OUT", "STOPPED"}


class SlurmError(Exception):
    pass


def add_arguments(parser, what):
    """The options of a campaign on Slurm; what names a work item ("runs", "seeds")."""
    group = parser.add_argument_group(
        "Slurm", "With --slurm the %s go to Slurm as one job array (sbatch, squeue and scancel on PATH); "
        "the driver waits and merges the results, or with --detach returns at once and a later call with "
        "the same arguments collects them. A call finds the batches of earlier calls, waits for or collects "
        "them, then submits only what is still missing." % what)
    group.add_argument("--slurm", action="store_true", help="run the %s as a Slurm job array" % what)
    group.add_argument("--detach", action="store_true",
                       help="submit (or look at the running job) and return; a later call collects")
    group.add_argument("--slurm-tasks", type=int, metavar="N",
                       help="array tasks of a batch (default: one per work item, at most 1000)")
    group.add_argument("--partition", metavar="NAME", help="sbatch --partition")
    group.add_argument("--account", metavar="NAME", help="sbatch --account")
    group.add_argument("--task-time", type=int, metavar="MINUTES",
                       help="sbatch --time of each task (default: from the limits and the task's share)")
    group.add_argument("--task-memory", type=int, metavar="MB",
                       help="sbatch --mem of each task (default: from the limits)")
    group.add_argument("--throttle", type=int, metavar="N", help="at most N tasks at a time (--array=...%%N)")
    group.add_argument("--sbatch-option", action="append", default=[], metavar="OPTION",
                       help="another sbatch option, passed as it stands (repeatable), e.g. "
                            "--sbatch-option=--qos=short")
    group.add_argument("--slurm-task", metavar="BATCH", help=argparse.SUPPRESS)


def check_arguments(parser, args):
    for name in ("slurm_tasks", "task_time", "task_memory", "throttle"):
        value = getattr(args, name)
        if value is not None and value < 1:
            parser.error("--%s must be positive" % name.replace("_", "-"))
    if args.detach and not args.slurm:
        parser.error("--detach goes with --slurm")


def my_slice(items, index, tasks):
    return items[index::tasks]


def task_index():
    """The array task this process is, from Slurm's environment."""
    value = os.environ.get("SLURM_ARRAY_TASK_ID")
    if value is None or not value.isdigit():
        raise SlurmError("--slurm-task runs only as a task of a Slurm job array (no SLURM_ARRAY_TASK_ID)")
    return int(value)


def write_json(path, value):
    partial = path + ".partial"
    with open(partial, "w") as f:
        json.dump(value, f)
    os.replace(partial, path)


def read_json(path):
    with open(path) as f:
        return json.load(f)


class Batch:
    def __init__(self, folder):
        self.folder = folder

    def path(self, name):
        return os.path.join(self.folder, name)

    def work(self):
        return read_json(self.path("work.json"))

    def job_id(self):
        try:
            return read_json(self.path("job.json"))["job"]
        except (OSError, ValueError, KeyError):
            return None

    def collected(self):
        return os.path.exists(self.path("collected"))

    def mark_collected(self):
        open(self.path("collected"), "w").close()

    def result_files(self, prefix):
        return sorted(os.path.join(self.folder, n) for n in os.listdir(self.folder) if n.startswith(prefix))

    def submit(self, args, name, tasks, command, minutes, memory_mb):
        """Submits the job array running command (a list) in each task; returns the job id."""
        script = self.path("task.sh")
        with open(script, "w") as f:
            f.write("#!/bin/sh\n# One task of the job array of %s.\nexec %s\n"
                    % (self.folder, " ".join(shlex.quote(a) for a in command)))
        os.chmod(script, 0o755)
        array = "0-%d" % (tasks - 1) + ("%%%d" % args.throttle if args.throttle else "")
        argv = ["sbatch", "--parsable", "--job-name=" + name, "--array=" + array, "--cpus-per-task=1",
                "--ntasks=1", "--chdir=" + os.getcwd(), "--output=" + self.path("task-%a.log"),
                "--time=%d" % minutes]
        if memory_mb:
            argv.append("--mem=%d" % memory_mb)
        if args.partition:
            argv.append("--partition=" + args.partition)
        if args.account:
            argv.append("--account=" + args.account)
        for option in args.sbatch_option:
            argv += shlex.split(option)
        out = run_command(argv + [script])
        job = out.strip().split(";")[0]
        if not job.isdigit():
            raise SlurmError("sbatch printed %r, not a job id" % out.strip())
        write_json(self.path("job.json"), dict(job=job, tasks=tasks, sbatch=argv + [script]))
        return job

    def active(self):
        """Whether the batch's job may still write results."""
        job = self.job_id()
        if job is None:
            return False
        proc = subprocess.run(["squeue", "--noheader", "--jobs", job, "--format=%T"], capture_output=True,
                              text=True)
        if proc.returncode != 0:
            if "Invalid job id" in proc.stderr:     # gone from the controller's memory: ended long ago
                return False
            raise SlurmError("squeue failed: %s" % proc.stderr.strip())
        return any(state.strip() in ACTIVE for state in proc.stdout.split())

    def follow(self, detach, merge, say):
        """Calls merge() until the job has left the queue, then once more, and
        marks the batch collected; with detach and the job still running, merges
        what is there and says so instead. Whether the job is over."""
        if detach and self.active():
            merge()
            say("job %s is still running; run again to collect it" % self.job_id())
            return False
        start = time.monotonic()
        while self.active():
            merge()
            time.sleep(min(10.0, 1.0 + (time.monotonic() - start) / 20))
        merge()
        self.mark_collected()
        return True


def run_command(argv):
    try:
        proc = subprocess.run(argv, capture_output=True, text=True)
    except OSError as e:
        raise SlurmError("cannot run %s: %s (--slurm needs Slurm's client commands on PATH)"
                         % (argv[0], e.strerror))
    if proc.returncode != 0:
        raise SlurmError("%s failed: %s" % (argv[0], proc.stderr.strip() or "exit status %d" % proc.returncode))
    return proc.stdout


def batches(root):
    """The batches below root that are not collected yet, oldest first."""
    if not os.path.isdir(root):
        return []
    names = sorted((n for n in os.listdir(root) if n.startswith("batch-") and n[6:].isdigit()),
                   key=lambda n: int(n[6:]))
    return [b for b in (Batch(os.path.join(root, n)) for n in names) if not b.collected()]


def new_batch(root, work):
    """A new batch folder holding work (a JSON value)."""
    os.makedirs(root, exist_ok=True)
    numbers = [int(n[6:]) for n in os.listdir(root) if n.startswith("batch-") and n[6:].isdigit()]
    batch = Batch(os.path.join(root, "batch-%d" % (max(numbers, default=0) + 1)))
    os.makedirs(batch.folder)
    write_json(batch.path("work.json"), work)
    return batch


def task_command(script, batch):
    """The command a task runs: this interpreter, the driver, --slurm-task BATCH."""
    return [sys.executable, os.path.abspath(script), "--slurm-task", os.path.abspath(batch.folder)]


def default_tasks(args, items):
    return max(1, min(args.slurm_tasks or 1000, items))


def note(text):
    sys.stderr.write(text + "\n")
    sys.stderr.flush()
