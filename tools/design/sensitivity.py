"""Designs over the record's fields and the sensitivity of a sweep's figures to
them, written out plainly: Latin-hypercube, Sobol and random designs; Saltelli's
design with first-order and total Sobol indices (Saltelli 2010, Jansen 1999)
and bootstrap intervals; Morris's trajectories with mu* and sigma of the
elementary effects (Campolongo 2007)."""
import numpy
from scipy.stats import qmc


def unit_points(kind, count, dimensions, seed):
    """`count` points in [0, 1)^dimensions."""
    if kind == "lhs":
        return qmc.LatinHypercube(d=dimensions, seed=seed).random(count)
    if kind == "sobol":
        return qmc.Sobol(d=dimensions, scramble=True, seed=seed).random(count)
    if kind == "random":
        return numpy.random.default_rng(seed).random((count, dimensions))
    raise ValueError("no design called %r" % kind)


def saltelli_unit(base, dimensions, seed):
    """Saltelli's design in [0, 1): for each of `base` points the rows A,
    AB_1 .. AB_k (A with column i taken from B) and B, so k + 2 rows each."""
    both = qmc.Sobol(d=2 * dimensions, scramble=True, seed=seed).random(base)
    a, b = both[:, :dimensions], both[:, dimensions:]
    rows = []
    for j in range(base):
        rows.append(a[j])
        for i in range(dimensions):
            mixed = a[j].copy()
            mixed[i] = b[j, i]
            rows.append(mixed)
        rows.append(b[j])
    return numpy.array(rows)


def saltelli_blocks(values, dimensions):
    """The outputs of a Saltelli design split into f(A), f(AB_i) (one column
    per field) and f(B)."""
    y = numpy.asarray(values, dtype=float).reshape(-1, dimensions + 2)
    return y[:, 0], y[:, 1:dimensions + 1], y[:, dimensions + 1]


def sobol_indices(f_a, f_ab, f_b):
    """First-order and total indices of each field, from one set of blocks."""
    variance = numpy.var(numpy.concatenate([f_a, f_b]))
    if variance == 0:
        return numpy.zeros(f_ab.shape[1]), numpy.zeros(f_ab.shape[1])
    first = numpy.mean(f_b[:, None] * (f_ab - f_a[:, None]), axis=0) / variance
    total = 0.5 * numpy.mean((f_a[:, None] - f_ab) ** 2, axis=0) / variance
    return first, total


def sobol_with_intervals(values, dimensions, level=0.95, resamples=1000, seed=1):
    """Indices and their bootstrap percentile intervals: base points drawn
    again with replacement. {"S1": (estimate, low, high) arrays, "ST": ...}."""
    f_a, f_ab, f_b = saltelli_blocks(values, dimensions)
    first, total = sobol_indices(f_a, f_ab, f_b)
    rng = numpy.random.default_rng(seed)
    drawn_first, drawn_total = [], []
    for _ in range(resamples):
        pick = rng.integers(0, len(f_a), len(f_a))
        s1, st = sobol_indices(f_a[pick], f_ab[pick], f_b[pick])
        drawn_first.append(s1)
        drawn_total.append(st)
    tail = 100 * (1 - level) / 2
    result = {}
    for name, estimate, drawn in (("S1", first, drawn_first), ("ST", total, drawn_total)):
        low, high = numpy.percentile(numpy.array(drawn), [tail, 100 - tail], axis=0)
        result[name] = (estimate, low, high)
    return result


def morris_unit(trajectories, dimensions, levels, seed):
    """Morris's design in [0, 1]: each trajectory starts on the grid of
    `levels` values and moves one field at a time, in a random order, by
    delta = levels / (2 (levels - 1)), up where it can and down otherwise."""
    rng = numpy.random.default_rng(seed)
    delta = levels / (2.0 * (levels - 1))
    grid = numpy.arange(levels) / (levels - 1.0)
    rows = []
    for _ in range(trajectories):
        point = rng.choice(grid, dimensions)
        rows.append(point.copy())
        for i in rng.permutation(dimensions):
            point[i] += delta if point[i] + delta <= 1 + 1e-12 else -delta
            rows.append(point.copy())
    return numpy.array(rows)


def morris_effects(rows, values, lows, highs):
    """mu*, mu and sigma of each field's elementary effects, each effect the
    change of the output over the step, the step measured as a share of the
    field's range. `rows` holds trajectories of k + 1 points each."""
    rows = numpy.asarray(rows, dtype=float)
    values = numpy.asarray(values, dtype=float)
    dimensions = rows.shape[1]
    span = numpy.asarray(highs, dtype=float) - numpy.asarray(lows, dtype=float)
    effects = [[] for _ in range(dimensions)]
    for start in range(0, len(rows), dimensions + 1):
        for step in range(start, start + dimensions):
            moved = numpy.nonzero(rows[step + 1] != rows[step])[0]
            if len(moved) != 1:
                raise ValueError("lines %d and %d of the design differ in %d fields, not one: "
                                 "not a Morris design" % (step + 2, step + 3, len(moved)))
            i = moved[0]
            share = (rows[step + 1, i] - rows[step, i]) / span[i]
            effects[i].append((values[step + 1] - values[step]) / share)
    effects = [numpy.array(e) for e in effects]
    mu_star = numpy.array([numpy.mean(numpy.abs(e)) if len(e) else 0 for e in effects])
    mu = numpy.array([numpy.mean(e) if len(e) else 0 for e in effects])
    sigma = numpy.array([numpy.std(e, ddof=1) if len(e) > 1 else 0 for e in effects])
    return mu_star, mu, sigma


def check_saltelli(rows, dimensions):
    """None when `rows` has the shape of Saltelli's design, else why not."""
    if len(rows) == 0 or len(rows) % (dimensions + 2):
        return "%d rows are no whole number of blocks of %d (A, one AB per field, B)" % (
            len(rows), dimensions + 2)
    for start in range(0, len(rows), dimensions + 2):
        a, b = rows[start], rows[start + dimensions + 1]
        for i in range(dimensions):
            expected = list(a)
            expected[i] = b[i]
            if list(rows[start + 1 + i]) != expected:
                return "line %d is not line %d with field %d of line %d" % (
                    start + 3 + i, start + 2, i + 1, start + dimensions + 3)
    return None
