#!/usr/bin/python3
"""tovrine-sweep --slurm on a real single-node Slurm cluster: Debian's munged,
slurmctld and slurmd on loopback ports, their state in a temporary folder, as
an unprivileged user (nobody, when the test runs as root). The
generated job array runs a small sweep over a design that is edited once the
script is written; one task is requeued while it runs and the other
cancelled, the merge names the cancelled shard, the script run again runs it
alone and merges, and the merged folder must be the one a local run writes. Programs,
runner and folders all sit in a folder whose name a shell would run, and the
programs are copies there, since nobody may not enter the checkout.

CTest passes TOVRINE_WORLD, TOVRINE_SWEEP and TOVRINE_WORK.
"""
import getpass
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from workbench_test import folder_bytes, main  # noqa: E402

WORLD = os.environ.get("TOVRINE_WORLD", "")
SWEEP = os.environ.get("TOVRINE_SWEEP", "")
RECORD = os.environ.get("TOVRINE_RECORD", "")
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DAEMONS = ("munged", "mungekey", "slurmctld", "slurmd", "sbatch", "scontrol", "sinfo")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return
        time.sleep(0.2)
    raise AssertionError("waited %d s for %s" % (seconds, what))


def unprivileged():
    """The user the cluster runs as and the words that run a command as it:
    this one, or nobody when this is root (as CI runs), since the daemons and
    the jobs need no privilege on a single node of one user."""
    if os.getuid() != 0:
        return getpass.getuser(), []
    try:
        group = subprocess.run(["id", "-gn", "nobody"], capture_output=True, text=True,
                               check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "root", []
    return "nobody", ["setpriv", "--reuid=nobody", "--regid=" + group, "--clear-groups"]


class Cluster:
    """The three daemons as children of this process, ended by their ids."""

    def __init__(self, folder):
        self.folder = folder
        self.children = []
        self.conf = os.path.join(folder, "slurm.conf")
        self.env = dict(os.environ, SLURM_CONF=self.conf)
        self.user, self.as_user = unprivileged()
        if self.as_user:
            shutil.chown(folder, self.user)

    def start(self):
        f = self.folder
        subprocess.run(self.as_user + ["mungekey", "--create", "--keyfile", f + "/munge.key"],
                       check=True)
        self.spawn("munged", ["munged", "--foreground", "--force", "--socket", f + "/munge.socket",
                              "--key-file", f + "/munge.key", "--pid-file", f + "/munged.pid",
                              "--seed-file", f + "/munged.seed", "--log-file",
                              f + "/munged.log"])
        wait_for("munged", lambda: os.path.exists(f + "/munge.socket"), 10)
        user = self.user
        for name in ("state", "spool"):
            os.makedirs(os.path.join(f, name))
            if self.as_user:
                shutil.chown(os.path.join(f, name), user)
        controller, node = free_port(), free_port()
        with open(self.conf, "w") as conf:
            # cred_expire is also how long a requeued task waits (two minutes
            # by default), and the scheduler looks at waiting jobs once a
            # minute: both short here, so the test ends in well under one.
            conf.write("\n".join([
                "ClusterName=tovrine-test",
                # The controller knows itself by its short host name.
                "SlurmctldHost=%s(127.0.0.1)" % socket.gethostname().split(".")[0],
                "SlurmctldPort=%d" % controller, "SlurmdPort=%d" % node,
                "SlurmUser=%s" % user, "SlurmdUser=%s" % user, "AuthType=auth/munge",
                "AuthInfo=socket=%s/munge.socket,cred_expire=5" % f, "CredType=cred/munge",
                "StateSaveLocation=%s/state" % f, "SlurmdSpoolDir=%s/spool" % f,
                "SlurmctldPidFile=%s/slurmctld.pid" % f, "SlurmdPidFile=%s/slurmd.pid" % f,
                "SlurmctldLogFile=%s/slurmctld.log" % f, "SlurmdLogFile=%s/slurmd.log" % f,
                "ProctrackType=proctrack/linuxproc", "TaskPlugin=task/none",
                "JobAcctGatherType=jobacct_gather/none",
                "AccountingStorageType=accounting_storage/none", "MpiDefault=none",
                "SchedulerType=sched/builtin",
                "SchedulerParameters=sched_interval=1", "SelectType=select/cons_tres",
                "SelectTypeParameters=CR_CPU", "ReturnToService=2", "KillWait=2",
                "MinJobAge=300", "NodeName=tovrine-node NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN",
                "PartitionName=test Nodes=tovrine-node Default=YES MaxTime=INFINITE State=UP",
                "PartitionName=sweeps Nodes=tovrine-node Default=NO MaxTime=INFINITE State=UP",
                ""]))
        self.spawn("slurmctld", ["slurmctld", "-D", "-f", self.conf])
        self.spawn("slurmd", ["slurmd", "-D", "-f", self.conf, "-N", "tovrine-node"])
        wait_for("the node to be idle", lambda: self.run(["sinfo", "-h", "-o", "%T"])
                 .stdout.strip() == "idle", 30)

    def spawn(self, name, args):
        log = open(os.path.join(self.folder, name + ".out"), "w")
        self.children.append(subprocess.Popen(self.as_user + args, stdout=log, cwd=self.folder,
                                              stderr=subprocess.STDOUT, env=self.env))
        log.close()

    def run(self, args, **kwargs):
        """A command as the cluster's user, in a folder it may enter."""
        kwargs.setdefault("env", self.env)
        kwargs.setdefault("cwd", self.folder)
        return subprocess.run(self.as_user + args, capture_output=True, text=True, **kwargs)

    def stop(self):
        if self.children:
            self.run(["scancel", "--user", self.user])
        for child in reversed(self.children):
            child.terminate()
            try:
                child.wait(timeout=10)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()

    def logs(self):
        """The daemons' logs and the jobs'."""
        paths = [os.path.join(self.folder, name)
                 for name in ("munged.out", "slurmctld.log", "slurmd.log")]
        paths += sorted(os.path.join(where, name) for where, _, names in os.walk(self.folder)
                        for name in names if name.startswith("slurm-"))
        text = ""
        for path in paths:
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    text += "== %s\n%s" % (os.path.basename(path), f.read()[-3000:])
        return text


class Slurm(unittest.TestCase):
    def test_a_job_array_with_a_requeued_and_a_cancelled_task_recovers_the_local_folder(self):
        missing = [d for d in DAEMONS if shutil.which(d) is None and
                   not os.path.exists("/usr/sbin/" + d)]
        if missing:
            print("SKIPPED: no %s here (scripts/install-deps.sh installs slurm-wlm and munge)"
                  % ", ".join(missing))
            self.skipTest("Slurm is not installed")
        os.environ["PATH"] += ":/usr/sbin"
        started = time.time()
        folder = tempfile.mkdtemp(prefix="tovrine-slurm-")
        cluster = Cluster(folder)
        try:
            try:
                cluster.start()
            except (AssertionError, subprocess.CalledProcessError):
                if cluster.user != "root":
                    print("SKIPPED: the daemons refuse to run as %s\n%s"
                          % (cluster.user, cluster.logs()))
                    self.skipTest("Slurm's daemons do not run unprivileged here")
                raise
            print("the cluster runs as %s" % cluster.user)
            self.check_sweep(cluster, folder)
        except AssertionError:
            print(cluster.logs())
            raise
        finally:
            cluster.stop()
            shutil.rmtree(folder, ignore_errors=True)
        print("the cluster's test took %.1f s" % (time.time() - started))

    def check_sweep(self, cluster, folder):
        # Every quote, a command, a comment, a pattern and a leading dash.
        hostile = os.path.join(folder, "-my sweep's \"50%\" #1 $(touch ran-1) `touch ran-2`")
        programs = os.path.join(hostile, "bin")
        os.makedirs(programs)
        for program in (SWEEP, WORLD, RECORD):
            shutil.copy2(program, programs)
        shutil.copytree(os.path.join(SOURCE, "resources", "bitmaps"),
                        os.path.join(hostile, "resources", "bitmaps"))
        shutil.copytree(os.path.join(SOURCE, "tools", "design"), os.path.join(hostile, "design"),
                        ignore=shutil.ignore_patterns("__pycache__"))
        if cluster.as_user:
            for where, folders, _ in os.walk(hostile):
                shutil.chown(where, cluster.user)
        sweep = os.path.join(programs, os.path.basename(SWEEP))
        # Each run waits a moment under Slurm (the pause travels in the
        # submitter's environment), so a task is surely running when requeued.
        runner = os.path.join(hostile, "runner.sh")
        with open(runner, "w") as f:
            f.write('#!/bin/sh\n[ -n "${TOVRINE_PAUSE:-}" ] && sleep "$TOVRINE_PAUSE"\n'
                    'here=$(dirname "$0")\n'
                    'TOVRINE_RESOURCES="$here/resources" exec "$here/bin/%s" "$@"\n'
                    % os.path.basename(WORLD))
        os.chmod(runner, 0o755)
        design = os.path.join(hostile, "design.csv")
        with open(design, "w") as f:
            f.write("whirlCount\n1\n3\n")
        grid = ["--preset", "0,2", "--seeds", "1-3", "--frames", "300", "--runner", runner]
        out = os.path.join(hostile, "merged")
        script = os.path.join(folder, "sweep.sh")
        made = cluster.run([sweep] + grid + ["--design", design, "--out", out, "--slurm", script,
                                             "--slurm-shards", "2",
                                             "--slurm-option", "--partition=sweeps"])
        self.assertEqual(0, made.returncode, made.stderr)
        # Edited once the script is written: the tasks read the copy made then.
        with open(design, "w") as f:
            f.write("whirlCount\n7\n9\n")
        copy = os.path.join(out + ".shards", "inputs", "design.csv")
        # The tasks start where the script was submitted: a command that ran
        # would leave its file there.
        submitted = cluster.run(["sh", script], env=dict(cluster.env, TOVRINE_PAUSE="0.4"))
        self.assertEqual(0, submitted.returncode, submitted.stderr)
        array = submitted.stdout.split("array job ")[1].split()[0]
        merge_job = submitted.stdout.split("merge job ")[1].split()[0]
        cancelled = cluster.run(["scancel", array + "_2"])
        self.assertEqual(0, cancelled.returncode, cancelled.stderr)
        # Both jobs went where --slurm-option sent them, not to the default.
        for job in (array, merge_job):
            shown = cluster.run(["scontrol", "show", "job", job]).stdout
            self.assertIn("Partition=sweeps", shown)
        shard = os.path.join(out + ".shards", "shard-1", "manifest.txt")

        def a_run_done():
            try:
                with open(shard) as f:
                    return re.search(r"^run \d+ \S+ done$", f.read(), re.M) is not None
            except OSError:
                return False
        wait_for("the first shard's first run", a_run_done, 30)
        requeued = cluster.run(["scontrol", "requeue", array + "_1"])
        self.assertEqual(0, requeued.returncode, requeued.stderr)

        # The merge runs once the tasks have ended, and names the one cancelled.
        merge_log = os.path.join(out + ".shards", "slurm-merge-%s.log" % merge_job)

        def merge_said():
            try:
                with open(merge_log) as f:
                    return "did not finish again" in f.read()
            except OSError:
                return False
        wait_for("the merge's word on the cancelled task", merge_said, 60)
        with open(merge_log) as f:
            said = f.read()
        self.assertRegex(said, r"shard 2/2 (is missing|in .* is unfinished)")
        self.assertNotIn("shard 1/2", said)
        self.assertFalse(os.path.exists(os.path.join(out, "manifest.txt")))
        # Run again, the script submits shard 2 alone and the merge.
        again = cluster.run(["sh", script])
        self.assertEqual(0, again.returncode, again.stderr)
        self.assertIn("(shards 2 of 2)", again.stdout)

        def merged():
            try:
                with open(os.path.join(out, "manifest.txt")) as f:
                    return "state finished\n" in f.read()
            except OSError:
                return False
        wait_for("the merge", merged, 60)
        with open(os.path.join(out + ".shards", "slurm-%s_1.log" % array)) as f:
            log = f.read()
        self.assertIn("DUE TO JOB REQUEUE", log)
        self.assertIn("tovrine-sweep: resuming: ", log)
        local = os.path.join(folder, "local")
        here = subprocess.run([SWEEP] + grid + ["--design", copy, "--out", local],
                              capture_output=True, text=True)
        self.assertEqual(0, here.returncode, here.stderr)
        self.assertEqual(folder_bytes(local), folder_bytes(out))
        with open(os.path.join(out, "runs.csv")) as f:
            self.assertEqual({"1", "3"}, {row.split(",")[3] for row in f.read().split("\n")[1:]
                                          if row})
        self.check_search(cluster, hostile, sweep)
        ran = [name for _, _, names in os.walk(folder) for name in names if name.startswith("ran-")]
        self.assertEqual([], ran)

    def check_search(self, cluster, hostile, sweep):
        """tovrine-search's trials, each a Slurm job through srun."""
        env = dict(cluster.env, TOVRINE_SWEEP=sweep,
                   TOVRINE_RECORD=os.path.join(hostile, "bin", os.path.basename(RECORD)),
                   TOVRINE_RESOURCES=os.path.join(hostile, "resources"))
        out = os.path.join(hostile, "search")
        found = cluster.run(["/usr/bin/python3", os.path.join(hostile, "design", "tovrine-search"),
                             "optimise", "--preset", "0", "--field", "initialVobs=1:30",
                             "--target", "highest_population=17", "--tolerance", "100",
                             "--trials", "2", "--seeds", "1", "--frames", "5", "--launcher",
                             "srun --job-name=tovrine-trial --ntasks=1 --partition=sweeps",
                             "--out", out], env=env)
        self.assertEqual(0, found.returncode, found.stderr)
        # Any record meets so loose a target: the first trial ends the search.
        with open(os.path.join(out, "trials.csv")) as f:
            self.assertEqual(2, len(f.read().splitlines()))
        self.assertTrue(os.path.exists(os.path.join(out, "best-1.rec")))
        self.assertIn("JobName=tovrine-trial", cluster.run(["scontrol", "show", "jobs"]).stdout)


if __name__ == "__main__":
    main()
