#!/usr/bin/python3
"""Two worlds of import tovrine in two threads against the same two one after
the other:

    PYTHONPATH=build/native/tools/python scripts/bench-module.py [--frames N] [--rounds N]
        [--runner build/native/tools/world/tovrine-world]

Each round advances two worlds of The Storm (seeds 1 and 2, without drawing)
one after the other, then the same two in two threads (the interpreter's
lock is released while a world runs), checks that both ways give the same
figures, and prints the median of each and their ratio (two cores used
fully: 0.5). The machine is shared: beside it, the same two worlds as two
tovrine-world processes side by side against one after the other, the
ratio the machine allows at the moment, and the load average.
"""
import argparse
import os
import statistics
import subprocess
import threading
import time

import numpy as np
import tovrine


def advance(seed, frames, results):
    with tovrine.World(tovrine.Record("The Storm"), seed=seed) as world:
        world.advance(frames)
        results[seed] = world.figures()


def serial(frames):
    results = {}
    started = time.perf_counter()
    for seed in (1, 2):
        advance(seed, frames, results)
    return time.perf_counter() - started, results


def threaded(frames):
    results = {}
    threads = [threading.Thread(target=advance, args=(seed, frames, results)) for seed in (1, 2)]
    started = time.perf_counter()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return time.perf_counter() - started, results


def processes(runner, frames, together):
    args = [[runner, "--preset", "2", "--seed", str(seed), "--frames", str(frames), "--no-draw"]
            for seed in (1, 2)]
    started = time.perf_counter()
    if together:
        for child in [subprocess.Popen(a) for a in args]:
            child.wait()
    else:
        for a in args:
            subprocess.run(a, check=True)
    return time.perf_counter() - started


def same(a, b):
    return all(np.array_equal(a[s][k], b[s][k], equal_nan=True) for s in a for k in a[s])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--frames", type=int, default=4000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--runner", default="build/native/tools/world/tovrine-world")
    options = parser.parse_args()
    one_by_one, side_by_side, yardstick = [], [], []
    for _ in range(options.rounds):
        seconds, alone = serial(options.frames)
        one_by_one.append(seconds)
        seconds, together = threaded(options.frames)
        side_by_side.append(seconds)
        if not same(alone, together):
            raise SystemExit("bench-module: the worlds in threads gave other figures")
        yardstick.append(processes(options.runner, options.frames, True)
                         / processes(options.runner, options.frames, False))
    a, b = statistics.median(one_by_one), statistics.median(side_by_side)
    print("bench-module: two worlds of The Storm, %d frames each, %d rounds, %d cores, load %.1f"
          % (options.frames, options.rounds, os.cpu_count(), os.getloadavg()[0]))
    print("  one after the other  %.3f s (median; %.3f to %.3f)" % (a, min(one_by_one),
                                                                   max(one_by_one)))
    print("  in two threads       %.3f s (median; %.3f to %.3f)" % (b, min(side_by_side),
                                                                   max(side_by_side)))
    print("  ratio %.2fx (figures identical)" % (b / a))
    print("  two tovrine-world processes side by side: %.2fx (median; %.2f to %.2f), what the"
          " machine allows now" % (statistics.median(yardstick), min(yardstick), max(yardstick)))


if __name__ == "__main__":
    main()
