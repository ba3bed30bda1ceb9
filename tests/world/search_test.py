#!/usr/bin/python3
"""tovrine-search on cases whose answers are known: a test function's
optimum, a target that a record can meet, and a box planted in a sweep.

CTest passes TOVRINE_SWEEP, TOVRINE_RECORD, TOVRINE_DESIGN (tools/design)
and TOVRINE_WORK."""
import argparse
import csv
import os
import shutil
import subprocess
import sys
import unittest

DESIGN = os.environ["TOVRINE_DESIGN"]
sys.path.insert(0, DESIGN)
import search  # noqa: E402

WORK = os.path.join(os.environ.get("TOVRINE_WORK", "/tmp/tovrine-workbench"), "search")


def fresh(name):
    path = os.path.join(WORK, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def rows_of(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


class Optimise(unittest.TestCase):
    def test_the_study_finds_a_functions_known_optimum_across_a_restart(self):
        args = argparse.Namespace(
            out=fresh("function"), seed=1, startup=8, preset="0", record=None,
            field=[("whirlCount", 0, 20), ("initialVobs", 0, 6)], set=[], measure=[],
            target=None, maximise=None, minimise="f", seeds="1", frames=1, until=None)

        def bowl(trial):
            return (trial.suggest_int("whirlCount", 0, 20) - 13) ** 2 + \
                (trial.suggest_int("initialVobs", 0, 6) - 4) ** 2
        # Stopped after 12 trials and opened again from its journal: 30 in all.
        search.open_study(args, "minimize").optimize(bowl, n_trials=12)
        study = search.open_study(args, "minimize")
        study.optimize(bowl, n_trials=18)
        self.assertEqual(30, len(study.trials))
        self.assertEqual(({"whirlCount": 13, "initialVobs": 4}, 0), (study.best_params,
                                                                     study.best_value))

    def test_a_reachable_target_is_met_and_its_record_written(self):
        out = fresh("target")
        # Each trial through a launcher (srun on a cluster), which notes it.
        launcher = os.path.join(out, "..", "launcher.sh")
        with open(launcher, "w") as f:
            f.write('#!/bin/sh\necho "$5" >> "$0.calls"\nexec "$@"\n')
        os.chmod(launcher, 0o755)
        if os.path.exists(launcher + ".calls"):
            os.remove(launcher + ".calls")
        # Five frames of preset 0: the most Vobs alive is the founders' number.
        command = [os.path.join(DESIGN, "tovrine-search"), "optimise", "--preset", "0",
                   "--field", "initialVobs=1:30", "--target", "highest_population=17",
                   "--trials", "30", "--seeds", "1", "--frames", "5", "--jobs", "2",
                   "--launcher", launcher, "--out", out]
        done = subprocess.run(command, capture_output=True, text=True)
        self.assertEqual(0, done.returncode, done.stderr)
        best = rows_of(os.path.join(out, "best.csv"))[0]
        self.assertEqual(("17", "17.0000"), (best["initialVobs"], best["highest_population"]))
        self.assertIn("tovrine.html#record=", best["link"])
        shown = subprocess.run([os.environ["TOVRINE_RECORD"], "show",
                                os.path.join(out, "best-1.rec")], capture_output=True, text=True)
        self.assertIn("initialVobs=17", shown.stdout.split(), shown.stderr)
        # Every trial is kept: its fields, its figure and its sweep's folder.
        trials = rows_of(os.path.join(out, "trials.csv"))
        self.assertLess(len(trials), 30, "the search went on after the target was met")
        for trial in trials:
            runs = rows_of(os.path.join(out, trial["folder"], "runs.csv"))
            self.assertEqual(trial["initialVobs"], runs[0]["highest_population"])
        with open(launcher + ".calls") as f:
            self.assertEqual(sorted("initialVobs=" + t["initialVobs"] for t in trials),
                             sorted(f.read().split()))
        # The same command again finds the target met and runs nothing more.
        again = subprocess.run(command, capture_output=True, text=True)
        self.assertEqual(0, again.returncode, again.stderr)
        self.assertEqual(len(trials), len(rows_of(os.path.join(out, "trials.csv"))))


class Discover(unittest.TestCase):
    def test_a_box_planted_in_a_sweep_is_found_with_full_coverage_and_density(self):
        sweep = fresh("planted")
        # Runs die out before frame 1000 where 20 <= whirlCount <= 30 and
        # initialVobs >= 36; everywhere else they live to the end, censored.
        with open(os.path.join(sweep, "runs.csv"), "w", newline="") as f:
            out = csv.writer(f, lineterminator="\n")
            out.writerow(["name", "source", "whirlCount", "initialVobs", "seed", "frames",
                          "first_extinction"])
            for x in range(61):
                for y in range(41):
                    inside = 20 <= x <= 30 and y >= 36
                    out.writerow(["A", "preset 0", x, y, 1, 2000, 500 + x if inside else ""])
        prefix = os.path.join(sweep, "boxes")
        done = subprocess.run([os.path.join(DESIGN, "tovrine-search"), "discover", sweep,
                               "--outcome", "first_extinction<1000", "--out", prefix],
                              capture_output=True, text=True)
        self.assertEqual(0, done.returncode, done.stderr)
        box = rows_of(prefix + ".csv")[0]
        self.assertEqual(["20", "30", "36", ""], [box["whirlCount_low"], box["whirlCount_high"],
                                                  box["initialVobs_low"],
                                                  box["initialVobs_high"]])
        self.assertEqual(("55", "1.0000", "1.0000"), (box["runs"], box["coverage"],
                                                      box["density"]))


if __name__ == "__main__":
    unittest.main()
