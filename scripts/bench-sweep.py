#!/usr/bin/python3
"""The sweep's runs as worlds of its own process against a tovrine-world
process each, side by side:

    scripts/bench-sweep.py [BUILD_DIR] [--seeds N] [--frames N] [--rounds N] [--jobs N]

Sweeps the default record (preset 0) over N seeds both ways, in turns, and
prints the runs per second per core of each (runs over the processor time of
the sweep and its children, so a busy machine slows both alike) and their
ratio; checks that both folders hold the same bytes. The machine is shared:
repeat it before trusting one figure.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def processor_seconds():
    own = resource.getrusage(resource.RUSAGE_CHILDREN)
    return own.ru_utime + own.ru_stime


def sweep(program, out, seeds, frames, jobs, processes):
    shutil.rmtree(out, ignore_errors=True)
    args = [program, "--preset", "0", "--seeds", "1-%d" % seeds, "--frames", str(frames),
            "--jobs", str(jobs), "--out", out] + (["--processes"] if processes else [])
    before, started = processor_seconds(), time.monotonic()
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("bench-sweep: %s failed:\n%s" % (" ".join(args), done.stderr))
    return processor_seconds() - before, time.monotonic() - started


def folder(path):
    files = {}
    for root, _, names in os.walk(path):
        for name in names:
            full = os.path.join(root, name)
            with open(full, "rb") as f:
                data = f.read()
            if name == "manifest.txt":
                data = b"\n".join(l for l in data.split(b"\n")
                                   if not l.startswith((b"command ", b"started ", b"ended ")))
            files[os.path.relpath(full, path)] = data
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build/native")
    parser.add_argument("--seeds", type=int, default=40)
    parser.add_argument("--frames", type=int, default=2000)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    options = parser.parse_args()
    program = os.path.join(options.build, "tools", "world", "tovrine-sweep")
    if not os.access(program, os.X_OK):
        sys.exit("bench-sweep: no %s (build the native preset first)" % program)
    work = tempfile.mkdtemp(prefix="bench-sweep-")
    try:
        totals = {False: [0.0, 0.0], True: [0.0, 0.0]}
        for _ in range(options.rounds):
            for processes in (True, False):
                out = os.path.join(work, "processes" if processes else "threads")
                cpu, wall = sweep(program, out, options.seeds, options.frames, options.jobs,
                                  processes)
                totals[processes][0] += cpu
                totals[processes][1] += wall
        if folder(os.path.join(work, "processes")) != folder(os.path.join(work, "threads")):
            sys.exit("bench-sweep: the two ways gave different folders")
        runs = options.seeds * options.rounds
        print("bench-sweep: preset 0, %d seeds of %d frames, %d rounds, --jobs %d, load %.1f"
              % (options.seeds, options.frames, options.rounds, options.jobs,
                 os.getloadavg()[0]))
        rate = {}
        for processes, name in ((True, "a process per run"), (False, "in the sweep's process")):
            cpu, wall = totals[processes]
            rate[processes] = runs / cpu
            print("  %-24s %7.1f runs per second per core (%.1f ms of processor per run, "
                  "%.2f s elapsed)" % (name, rate[processes], 1000 * cpu / runs, wall))
        print("  ratio %.2fx (folders identical)" % (rate[False] / rate[True]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
