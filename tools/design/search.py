"""The searches of tovrine-search: Optuna's trials over record fields, each
swept by tovrine-sweep, and scenario discovery over a finished sweep with
scikit-learn's decision trees. Its usage is tovrine-search's."""
import argparse
import csv
import os
import shlex
import subprocess
import sys
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import record_fields  # noqa: E402
import survival  # noqa: E402
from sweep_folder import is_time_to_event  # noqa: E402

BUILT = os.path.join(HERE, "..", "..", "build", "native", "tools")


class SearchError(Exception):
    """Said in one line, without a traceback."""


def program(variable, built):
    return os.environ.get(variable) or os.path.normpath(os.path.join(BUILT, built))


def field_range(text):
    name, _, span = text.partition("=")
    if name not in record_fields.FIELDS:
        raise argparse.ArgumentTypeError("the record has no whole-number field %r" % name)
    try:
        low, high = (int(v) for v in span.split(":"))
    except ValueError:
        raise argparse.ArgumentTypeError("--field wants F=LOW:HIGH, not %r" % text)
    least, most, _ = record_fields.FIELDS[name]
    if not least <= low < high <= most:
        raise argparse.ArgumentTypeError("--field %s: %s takes %d to %d, LOW below HIGH"
                                         % (text, name, least, most))
    return name, low, high


def measure_value(text):
    name, _, value = text.partition("=")
    try:
        return name, float(value)
    except ValueError:
        raise argparse.ArgumentTypeError("--target wants MEASURE=VALUE, not %r" % text)


# A trial's figure: the mean over its seeds, a time to an event as its
# restricted mean up to --frames.
def trial_figure(folder, measure, frames):
    with open(os.path.join(folder, "runs.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    if not rows or measure not in rows[0]:
        raise SearchError("%s has no figure %s" % (folder, measure))
    if is_time_to_event(folder, measure):
        times = [(int(r[measure] or r["frames"]), r[measure] != "") for r in rows]
        return survival.restricted_mean(times, frames), rows
    if any(r[measure] == "" for r in rows):
        return None, rows
    return sum(float(r[measure]) for r in rows) / len(rows), rows


class Search:
    """One study: its trials, each a sweep of its own folder."""

    def __init__(self, args):
        self.args = args
        self.sweep = program("TOVRINE_SWEEP", "world/tovrine-sweep")
        self.lock = threading.Lock()
        if args.target:
            self.measure, self.goal = args.target
        else:
            self.measure, self.goal = args.maximise or args.minimise, None

    def subject(self):
        return ["--preset", self.args.preset] if self.args.preset else \
            ["--record", os.path.abspath(self.args.record)]

    def sweep_words(self, values, folder):
        words = [self.sweep] + self.subject()
        for text in self.args.set:
            words += ["--set", text]
        for (name, _, _), value in zip(self.args.field, values):
            words += ["--set", "%s=%d" % (name, value)]
        for text in self.args.measure:
            words += ["--measure", text]
        if self.args.until:
            words += ["--until", self.args.until]
        words += ["--seeds", self.args.seeds, "--frames", str(self.args.frames), "--jobs", "1",
                  "--out", folder]
        # Through a launcher, such as Slurm's srun, each trial runs where it
        # places it; the folder is shared, so the figures come back here.
        return shlex.split(self.args.launcher) + words if self.args.launcher else words

    def objective(self, trial):
        values = [trial.suggest_int(name, low, high) for name, low, high in self.args.field]
        folder = os.path.join(self.args.out, "trials", "trial-%04d" % trial.number)
        done = subprocess.run(self.sweep_words(values, folder) + ["--force"],
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise SearchError("trial %d: %s" % (trial.number, done.stderr.strip()))
        figure, rows = trial_figure(folder, self.measure, self.args.frames)
        if figure is None:
            raise SearchError("trial %d: runs without a value of %s" % (trial.number,
                                                                       self.measure))
        trial.set_user_attr("figure", figure)
        trial.set_user_attr("folder", os.path.relpath(folder, self.args.out))
        trial.set_user_attr("link", rows[0]["link"].split("&seed=")[0])
        if self.goal is None:
            return figure
        miss = abs(figure - self.goal)
        if miss <= self.args.tolerance:
            trial.study.stop()
        return miss


def open_study(args, direction):
    import warnings
    import optuna
    warnings.simplefilter("ignore", optuna.exceptions.ExperimentalWarning)
    optuna.logging.set_verbosity(optuna.logging.WARNING)
    os.makedirs(args.out, exist_ok=True)
    # Optuna's journal: an append-only file that a restart reads back, far
    # lighter than a database for a study of a few hundred trials.
    storage = optuna.storages.JournalStorage(
        optuna.storages.JournalFileStorage(os.path.join(args.out, "study.journal")))
    study = optuna.create_study(study_name="tovrine", storage=storage, direction=direction,
                                load_if_exists=True)
    # A study opened again draws on from where it was, not the same draws
    # again: its seed moves on by the trials it holds.
    study.sampler = optuna.samplers.TPESampler(
        seed=args.seed + len(study.trials), n_startup_trials=args.startup, multivariate=True,
        warn_independent_sampling=False)
    # What the study was made for must not change under it.
    asked = " ".join(shlex.quote(w) for w in study_words(args))
    made = study.user_attrs.get("command")
    if made is None:
        study.set_user_attr("command", asked)
    elif made != asked:
        raise SearchError("%s holds another search (%s); give another --out" % (args.out, made))
    # Trials cut off by a stop are run again with the same fields.
    for trial in study.get_trials(deepcopy=False):
        if trial.state == optuna.trial.TrialState.RUNNING:
            study._storage.set_trial_state_values(trial._trial_id,
                                                  optuna.trial.TrialState.FAIL)
            study.enqueue_trial(trial.params)
    return study


def study_words(args):
    """The arguments that fix what the study searches (not --jobs)."""
    words = ["--preset", args.preset] if args.preset else ["--record", args.record]
    for name, low, high in args.field:
        words.append("--field=%s=%d:%d" % (name, low, high))
    words += ["--set=" + s for s in args.set] + ["--measure=" + m for m in args.measure]
    if args.target:
        words.append("--target=%s=%g" % args.target)
    words += ["--maximise=" + args.maximise] if args.maximise else []
    words += ["--minimise=" + args.minimise] if args.minimise else []
    return words + ["--seeds", args.seeds, "--frames", str(args.frames), "--until",
                    args.until or "", "--seed", str(args.seed)]


def optimise(args):
    import optuna
    search = Search(args)
    direction = "maximize" if args.maximise else "minimize"
    study = open_study(args, direction)
    complete = [t for t in study.trials if t.state == optuna.trial.TrialState.COMPLETE]
    met = args.target and any(t.value <= args.tolerance for t in complete)
    left = 0 if met else max(args.trials - len(complete), 0)
    if left:
        study.optimize(search.objective, n_trials=left, n_jobs=args.jobs,
                       catch=())
    write_trials(args, study)
    write_best(args, study, search)


def finished_trials(study):
    import optuna
    return [t for t in study.trials if t.state == optuna.trial.TrialState.COMPLETE]


def write_trials(args, study):
    names = [name for name, _, _ in args.field]
    measure = args.target[0] if args.target else args.maximise or args.minimise
    with open(os.path.join(args.out, "trials.csv"), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["trial"] + names + [measure, "objective", "folder"])
        for t in finished_trials(study):
            out.writerow([t.number] + [t.params[n] for n in names] +
                         ["%.4f" % t.user_attrs["figure"], "%.4f" % t.value,
                          t.user_attrs["folder"]])


def write_best(args, study, search):
    """The best records as record files, their figures and page links."""
    trials = sorted(finished_trials(study), key=lambda t: t.value,
                    reverse=bool(args.maximise))[:args.best]
    record = program("TOVRINE_RECORD", "record/tovrine-record")
    names = [name for name, _, _ in args.field]
    with open(os.path.join(args.out, "best.csv"), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["rank", "trial"] + names + [search.measure, "record", "link"])
        for rank, t in enumerate(trials, 1):
            path = os.path.join(args.out, "best-%d.rec" % rank)
            base = ["--preset", args.preset] if args.preset else ["--record", args.record]
            sets = [w for s in args.set + ["%s=%d" % (n, t.params[n]) for n in names]
                    for w in ("--set", s)]
            made = subprocess.run([record, "make"] + base + sets + ["--out", path],
                                  capture_output=True, text=True)
            if made.returncode != 0:
                raise SearchError("best record %d: %s" % (rank, made.stderr.strip()))
            out.writerow([rank, t.number] + [t.params[n] for n in names] +
                         ["%.4f" % t.user_attrs["figure"], os.path.basename(path),
                          t.user_attrs["link"]])
    if trials:
        best = trials[0]
        print("%s: %d trials; best: trial %d, %s, %s = %.4f" % (
            args.out, len(finished_trials(study)), best.number,
            ", ".join("%s=%d" % (n, best.params[n]) for n in names), search.measure,
            best.user_attrs["figure"]))


# Scenario discovery.

OPERATORS = (("<=", lambda a, b: a <= b), (">=", lambda a, b: a >= b),
             ("==", lambda a, b: a == b), ("<", lambda a, b: a < b), (">", lambda a, b: a > b))


def outcome_test(text):
    for symbol, test in OPERATORS:
        if symbol in text:
            name, _, value = text.partition(symbol)
            try:
                return name.strip(), symbol, test, float(value)
            except ValueError:
                break
    raise argparse.ArgumentTypeError("--outcome wants MEASURE<VALUE (or <=, >, >=, ==), "
                                     "not %r" % text)


def run_outcomes(sweep, outcome):
    """The runs' field values and whether each meets the outcome; a censored
    time meets a bound only where its last frame decides it."""
    name, symbol, test, value = outcome
    path = os.path.join(sweep, "runs.csv")
    with open(path, newline="") as f:
        reader = csv.DictReader(f)
        header, rows = reader.fieldnames or [], list(reader)
    if name not in header:
        raise SearchError("%s has no column %s" % (path, name))
    first = header.index("point") + 1 if "point" in header else header.index("source") + 1
    fields = header[first:header.index("seed")]
    if not fields:
        raise SearchError("%s varies no field" % path)
    timed = is_time_to_event(sweep, name)
    points, met = [], []
    for row in rows:
        if row[name] == "":
            if not timed or symbol == "==" or float(row["frames"]) < value:
                raise SearchError("%s: a run without %s cannot be judged by %s%s%g" % (
                    path, name, name, symbol, value))
            # Censored at its last frame, which is past the value: later.
            met.append(symbol.startswith(">"))
        else:
            met.append(test(float(row[name]), value))
        points.append([float(row[f]) for f in fields])
    return fields, points, met


def discover(args):
    from sklearn.tree import DecisionTreeClassifier
    fields, points, met = run_outcomes(args.sweep, args.outcome)
    wanted = sum(met)
    if wanted == 0 or wanted == len(met):
        raise SearchError("%d of %d runs meet the outcome: no box to find" % (wanted, len(met)))
    tree = DecisionTreeClassifier(max_depth=args.depth, min_samples_leaf=args.smallest,
                                  random_state=1).fit(points, met)
    boxes = []
    leaf_of = tree.apply(points)
    for leaf, bounds in leaves(tree.tree_, len(fields)):
        inside = [m for m, at in zip(met, leaf_of) if at == leaf]
        hits = sum(inside)
        if hits and hits * 2 > len(inside):
            boxes.append((bounds, len(inside), hits / wanted, hits / len(inside)))
    boxes.sort(key=lambda b: (-b[2] * b[3], -b[2]))
    with open(args.out + ".csv", "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["box"] + ["%s_%s" % (n, end) for n in fields for end in ("low", "high")]
                     + ["runs", "coverage", "density"])
        for number, (bounds, runs, coverage, density) in enumerate(boxes, 1):
            cells = []
            for low, high in bounds:
                cells += [("%g" % low) if low is not None else "",
                          ("%g" % high) if high is not None else ""]
            out.writerow([number] + cells + [runs, "%.4f" % coverage, "%.4f" % density])
            print("box %d: %s; %d runs, coverage %.3f, density %.3f" % (
                number, describe(fields, bounds), runs, coverage, density))
    print(args.out + ".csv")


def leaves(tree, dimensions):
    """Each leaf of a fitted tree and its box: per field, the lowest value
    in it and the highest (None: unbounded), for whole-number fields."""
    found = []

    def walk(node, bounds):
        if tree.children_left[node] == -1:
            found.append((node, bounds))
            return
        field, threshold = tree.feature[node], tree.threshold[node]
        # Left holds values <= threshold: whole values up to floor(threshold).
        low, high = bounds[field]
        left, right = list(bounds), list(bounds)
        left[field] = (low, int(threshold // 1))
        right[field] = (int(threshold // 1) + 1, high)
        walk(tree.children_left[node], left)
        walk(tree.children_right[node], right)

    walk(0, [(None, None)] * dimensions)
    return found


def describe(fields, bounds):
    parts = []
    for name, (low, high) in zip(fields, bounds):
        if low is not None and high is not None:
            parts.append("%d <= %s <= %d" % (low, name, high))
        elif low is not None:
            parts.append("%s >= %d" % (name, low))
        elif high is not None:
            parts.append("%s <= %d" % (name, high))
    return " and ".join(parts) or "everywhere"


def main(usage):
    parser = argparse.ArgumentParser(description=usage,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    opt = commands.add_parser("optimise", help="calibrate or optimise record fields")
    subject = opt.add_mutually_exclusive_group(required=True)
    subject.add_argument("--preset", help="a built-in algorithm, by number or name")
    subject.add_argument("--record", help="a 128-byte record file")
    opt.add_argument("--field", type=field_range, action="append", required=True,
                     metavar="F=LOW:HIGH", help="a field searched over its range (repeated)")
    goal = opt.add_mutually_exclusive_group(required=True)
    goal.add_argument("--target", type=measure_value, metavar="MEASURE=VALUE",
                      help="a figure of runs.csv to bring to VALUE")
    goal.add_argument("--maximise", metavar="MEASURE", help="a figure to make largest")
    goal.add_argument("--minimise", metavar="MEASURE", help="a figure to make smallest")
    opt.add_argument("--tolerance", type=float, default=0.0,
                     help="a target within this is met, and the search stops (default 0)")
    opt.add_argument("--trials", type=int, required=True, help="trials in all, resumed ones "
                     "included")
    opt.add_argument("--startup", type=int, default=8,
                     help="random trials before the sampler models the figure (default 8)")
    opt.add_argument("--seeds", default="1-4", help="each trial's seeds (default 1-4)")
    opt.add_argument("--frames", type=int, default=2000, help="frames per run (default 2000)")
    opt.add_argument("--set", action="append", default=[], help="F=V fixed in every trial")
    opt.add_argument("--measure", action="append", default=[],
                     help="NAME=EXPRESSION, a measure of one's own (tovrine-sweep --measure)")
    opt.add_argument("--until", help="each run's stop condition (tovrine-sweep --until)")
    opt.add_argument("--jobs", type=int, default=1, help="trials at once (default 1)")
    opt.add_argument("--launcher", help="words put before each trial's tovrine-sweep, such "
                     "as \"srun --ntasks=1 --cpus-per-task=1\": each trial a Slurm job, "
                     "--jobs of them at once")
    opt.add_argument("--seed", type=int, default=1, help="the sampler's seed (default 1)")
    opt.add_argument("--best", type=int, default=3, help="best records written (default 3)")
    opt.add_argument("--out", required=True, help="the search's folder")
    opt.set_defaults(run=optimise)
    find = commands.add_parser("discover", help="boxes of field values leading to an outcome")
    find.add_argument("sweep", help="a finished sweep's folder (--vary or --design)")
    find.add_argument("--outcome", type=outcome_test, required=True,
                      help="MEASURE<VALUE, with <, <=, >, >= or ==, on runs.csv")
    find.add_argument("--depth", type=int, default=3, help="the tree's depth (default 3)")
    find.add_argument("--smallest", type=int, default=5,
                      help="fewest runs in a box (default 5)")
    find.add_argument("--out", required=True, help="writes OUT.csv")
    find.set_defaults(run=discover)
    args = parser.parse_args()
    try:
        args.run(args)
    except (SearchError, OSError) as error:
        sys.exit("tovrine-search: %s" % error)

