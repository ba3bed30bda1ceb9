#!/usr/bin/python3
"""The sensitivity estimators of tools/design against functions whose indices
are known, and the designers' field table against the record's.

CTest passes TOVRINE_RECORD (tovrine-record) and TOVRINE_DESIGN (tools/design)."""
import csv
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import numpy

DESIGN = os.environ.get("TOVRINE_DESIGN", os.path.join(os.path.dirname(__file__), "..", "..",
                                                       "tools", "design"))
sys.path.insert(0, DESIGN)
import record_fields  # noqa: E402
import sensitivity  # noqa: E402
import survival  # noqa: E402


def ishigami(x, a=7.0, b=0.1):
    return numpy.sin(x[:, 0]) + a * numpy.sin(x[:, 1]) ** 2 + b * x[:, 2] ** 4 * numpy.sin(x[:, 0])


class Estimators(unittest.TestCase):
    def test_sobol_indices_of_the_ishigami_function_hold_the_analytic_ones(self):
        unit = sensitivity.saltelli_unit(8192, 3, seed=3)
        values = ishigami(-numpy.pi + 2 * numpy.pi * unit)
        found = sensitivity.sobol_with_intervals(values, 3, level=0.95, resamples=500, seed=1)
        # a = 7, b = 0.1 (Sobol' and Levitan 1999).
        analytic = {"S1": (0.3139, 0.4424, 0.0), "ST": (0.5576, 0.4424, 0.2437)}
        for key, expected in analytic.items():
            estimate, low, high = found[key]
            print("%s: %s, intervals %s" % (key, numpy.round(estimate, 3),
                                            list(zip(numpy.round(low, 3), numpy.round(high, 3)))))
            for i, value in enumerate(expected):
                with self.subTest(index=key, field=i + 1):
                    self.assertLessEqual(low[i], value)
                    self.assertGreaterEqual(high[i], value)
                    self.assertLess(high[i] - low[i], 0.1, "an interval too wide to prove much")
                    self.assertAlmostEqual(value, estimate[i], delta=0.03)

    def test_morris_effects_of_a_linear_function_are_its_slopes_without_spread(self):
        unit = sensitivity.morris_unit(12, 3, 4, seed=2)
        lows, highs = [0, 10, 5], [40, 20, 5000]
        rows = [[round(lo + u * (hi - lo)) for u, lo, hi in zip(r, lows, highs)] for r in unit]
        # Per whole range: 3 x 40, -2 x 10 and 0.
        values = [3 * r[0] - 2 * r[1] + 0 * r[2] for r in rows]
        mu_star, mu, sigma = sensitivity.morris_effects(rows, values, lows, highs)
        numpy.testing.assert_allclose(mu_star, [120, 20, 0], atol=1e-9)
        numpy.testing.assert_allclose(mu, [120, -20, 0], atol=1e-9)
        numpy.testing.assert_allclose(sigma, [0, 0, 0], atol=1e-9)

    def test_a_design_that_is_not_saltellis_is_told_apart(self):
        rows = [[1, 2], [3, 2], [1, 4], [3, 4]]
        self.assertIsNone(sensitivity.check_saltelli(rows, 2))
        self.assertIn("line 4 is not line 2", sensitivity.check_saltelli([[1, 2], [3, 2], [1, 5], [3, 4]], 2))


def fake_sweep(folder, design, figure, frames=500):
    """A sweep's folder over `design` (a file of tovrine-design) with one
    seed, whose runs.csv holds figure(values) -> (first_extinction or None,
    mean_population) per point; no world is run."""
    os.makedirs(os.path.join(folder, "inputs"))
    shutil.copy(design, os.path.join(folder, "inputs", "design.csv"))
    with open(design) as f:
        rows = list(csv.reader(line for line in f if not line.startswith("#")))
    with open(os.path.join(folder, "manifest.txt"), "w") as f:
        f.write("tovrine-sweep manifest 1\ndesign --preset\t0\t--frames\t%d\n" % frames)
    with open(os.path.join(folder, "runs.csv"), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["name", "source", "point"] + rows[0] +
                     ["seed", "frames", "first_extinction", "mean_population"])
        for number, values in enumerate(rows[1:], 1):
            first, mean = figure([int(v) for v in values])
            out.writerow(["A", "preset 0", number] + values +
                         [1, frames if first is None else first,
                          "" if first is None else first, mean])


class Analyses(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tovrine-analyses-")
        self.addCleanup(shutil.rmtree, self.dir)

    def design(self, *args):
        path = os.path.join(self.dir, "design.csv")
        made = subprocess.run([os.path.join(DESIGN, "tovrine-design")] + list(args) +
                              ["--out", path], capture_output=True, text=True)
        self.assertEqual(0, made.returncode, made.stderr)
        return path

    def analyse(self, sweep, *args):
        out = os.path.join(self.dir, "effects-" + os.path.basename(sweep))
        done = subprocess.run([os.path.join(DESIGN, "tovrine-design"), "morris-effects", sweep,
                               "--out", out] + list(args), capture_output=True, text=True)
        table = []
        if done.returncode == 0:
            with open(out + ".csv", newline="") as f:
                table = list(csv.DictReader(f))
        return done, table

    def test_morris_effects_are_per_the_ranges_the_design_was_made_over(self):
        design = self.design("morris", "--field", "whirlCount=0:90", "--field",
                             "initialVobs=0:90", "--trajectories", "1")
        sweep = os.path.join(self.dir, "linear")
        fake_sweep(sweep, design, lambda v: (None, 2 * v[0] + v[1]))
        done, table = self.analyse(sweep)
        self.assertEqual(0, done.returncode, done.stderr)
        # One trajectory moves each field 60 of its 90: per whole range, 2 x 90 and 90.
        self.assertEqual([("whirlCount", "180.0000"), ("initialVobs", "90.0000")],
                         [(r["field"], r["mu_star"]) for r in table])

    def test_a_time_to_an_event_with_censored_runs_is_refused_or_taken_as_its_restricted_mean(self):
        design = self.design("morris", "--field", "whirlCount=0:90", "--field",
                             "initialVobs=0:90", "--trajectories", "2")
        cases = (
            # Every run censored at 500: refused with the share; their
            # restricted means are all 500, so no field has an effect.
            ("all", lambda v: (None, 1), "100 % of the runs (6 of 6) censored", 0.0, "1.0000"),
            # None censored: the mean of the frames, as any other figure.
            ("none", lambda v: (100 + 2 * v[0], 1), None, 180.0, "0.0000"),
        )
        for name, figure, refusal, effect, share in cases:
            with self.subTest(censored=name):
                sweep = os.path.join(self.dir, name)
                fake_sweep(sweep, design, figure)
                done, table = self.analyse(sweep, "--measure", "first_extinction")
                if refusal:
                    self.assertEqual(1, done.returncode)
                    self.assertIn(refusal, done.stderr)
                    self.assertIn("--censored restricted-mean", done.stderr)
                    done, table = self.analyse(sweep, "--measure", "first_extinction",
                                               "--censored", "restricted-mean")
                self.assertEqual(0, done.returncode, done.stderr)
                self.assertEqual(effect, float(table[0]["mu_star"]))
                self.assertEqual([share, share], [r["censored_share"] for r in table])

    def test_the_restricted_mean_is_the_area_under_the_kaplan_meier_curve(self):
        # As the sweep's design.csv computes it: deaths at 100 and 300, one run
        # censored at 200 and one at 500.
        times = [(300, True), (200, False), (100, True), (500, False)]
        self.assertAlmostEqual(325.0, survival.restricted_mean(times, 500))
        self.assertAlmostEqual(250.0, survival.restricted_mean(times, 300))


class FieldTable(unittest.TestCase):
    def test_the_designers_fields_are_the_records_with_the_same_ranges(self):
        listed = subprocess.run([os.environ["TOVRINE_RECORD"], "fields"], capture_output=True,
                                text=True, check=True).stdout
        ranges = {}
        for line in listed.splitlines():
            words = line.split()
            if words[0] != "algorithmName":
                ranges[words[0]] = (int(words[1]), int(words[3]))
        self.assertEqual(ranges, {name: field[:2] for name, field in record_fields.FIELDS.items()})
        for name, field in record_fields.FIELDS.items():
            self.assertRegex(field[2], r"\(.+\)$", name + " has no unit")


if __name__ == "__main__":
    unittest.main()
