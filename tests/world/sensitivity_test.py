#!/usr/bin/python3
"""The sensitivity estimators of tools/design against functions whose indices
are known, and the designers' field table against the record's.

CTest passes TOVRINE_RECORD (tovrine-record) and TOVRINE_DESIGN (tools/design)."""
import os
import subprocess
import sys
import unittest

import numpy

DESIGN = os.environ.get("TOVRINE_DESIGN", os.path.join(os.path.dirname(__file__), "..", "..",
                                                       "tools", "design"))
sys.path.insert(0, DESIGN)
import record_fields  # noqa: E402
import sensitivity  # noqa: E402


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
