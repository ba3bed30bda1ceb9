#!/usr/bin/python3
"""Pictures of Tovrine's worlds, from the CSV files of tovrine-world and tovrine-sweep.

  tovrine_plot.py run RUN.csv --name NAME --out PREFIX
      population over time of one run (tovrine-world --csv)
  tovrine_plot.py compare SWEEP_DIR --out PREFIX
      median population with its quartile band across seeds, one colour per
      algorithm (population.csv of tovrine-sweep)
  tovrine_plot.py lifetimes SWEEP_DIR --out PREFIX
      histogram of civilization lifetimes (lifetimes.csv of tovrine-sweep)
  tovrine_plot.py outcome SWEEP_DIR --x FIELD [--lines FIELD] [--measure M] --out PREFIX
      a figure of each design point against a varied field: mean across seeds
      with its 95 % confidence band, one line per value of a second field
      (design.csv of tovrine-sweep --vary)
  tovrine_plot.py survival SWEEP_DIR --out PREFIX
      share of runs not yet died out against the frame, one curve per design
      point; runs that never died out count until their last frame
      (survival.csv of tovrine-sweep)

Each writes PREFIX.png and PREFIX.svg.
"""
import argparse
import csv
import os
import sys

# Debian's python3 with python3-matplotlib (scripts/install-deps.sh): the
# first line names it, not whichever python3 comes first on the PATH.
import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt  # noqa: E402
import matplotlib.ticker  # noqa: E402

# SVG text stays text, and the same input gives the same file.
plt.rcParams["svg.fonttype"] = "none"
plt.rcParams["svg.hashsalt"] = "tovrine"


class PlotError(Exception):
    """A file that is not what the plot needs: said in one line, no traceback."""


def read_rows(path, columns=()):
    """The rows of a CSV, refused with a message when a column is missing or a
    row is cut off (a run stopped midway)."""
    try:
        with open(path, newline="") as f:
            reader = csv.DictReader(f)
            header = reader.fieldnames or []
            missing = [c for c in columns if c not in header]
            if missing:
                raise PlotError("%s is not the file this plot reads: it has no column %s"
                                % (path, ", ".join(missing)))
            rows = []
            for row in reader:
                if None in row.values() or None in row:
                    raise PlotError("%s: line %d is cut off or has extra cells (the run or "
                                    "sweep that wrote it may have been stopped)"
                                    % (path, reader.line_num))
                rows.append(row)
            return rows
    except UnicodeDecodeError:
        raise PlotError("%s is not a text CSV file" % path)
    except csv.Error as error:
        raise PlotError("%s: %s" % (path, error))


def number(row, column, path, kind=float):
    try:
        return kind(row[column])
    except ValueError:
        raise PlotError("%s: %s is \"%s\", not a number" % (path, column, row[column]))


def save(figure, prefix):
    directory = os.path.dirname(prefix)
    if directory:
        os.makedirs(directory, exist_ok=True)
    figure.tight_layout()
    figure.savefig(prefix + ".png", dpi=110)
    figure.savefig(prefix + ".svg", metadata={"Date": None})
    plt.close(figure)
    print(prefix + ".png", prefix + ".svg")


def by_name(rows):
    """Rows grouped by the name column, in the order the names first appear."""
    groups = {}
    for row in rows:
        groups.setdefault(row["name"], []).append(row)
    return groups


def plot_run(args):
    rows = read_rows(args.csv, ("frame", "vobs", "civilizations"))
    if not rows:
        raise PlotError("%s has no frames" % args.csv)
    frames = [number(r, "frame", args.csv, int) for r in rows]
    vobs = [number(r, "vobs", args.csv, int) for r in rows]
    births = [number(r, "civilizations", args.csv, int) for r in rows]
    name = args.name or os.path.basename(args.csv)
    figure, axes = plt.subplots(figsize=(10, 4.5))
    axes.plot(frames, vobs, color="tab:blue", linewidth=0.9, label="Vobs alive")
    # A new civilization starts where the count of civilizations goes up.
    starts = [f for f, before, now in zip(frames[1:], births, births[1:]) if now > before]
    for i, frame in enumerate(starts):
        axes.axvline(frame, color="tab:red", alpha=0.4, linewidth=0.8,
                     label="new civilization" if i == 0 else None)
    axes.set_title("%s: population over time%s" % (name, " (" + args.subtitle + ")"
                                                   if args.subtitle else ""), loc="left")
    axes.set_xlabel("frame")
    axes.set_ylabel("Vobs alive")
    axes.set_xlim(frames[0], frames[-1])
    axes.set_ylim(bottom=0)
    axes.grid(alpha=0.3)
    # Above the plot, so that it never covers the line.
    axes.legend(loc="lower right", bbox_to_anchor=(1.0, 1.01), ncol=2, fontsize="small",
                frameon=False)
    save(figure, args.out)


def point_label(row, header, first, last):
    """The name and the varied fields' values: the columns between two known ones."""
    fields = header[header.index(first) + 1:header.index(last)]
    values = ", ".join("%s=%s" % (f, row[f]) for f in fields)
    return row["name"] + (" [%s]" % values if values else "")


def plot_compare(args):
    path = os.path.join(args.sweep, "population.csv")
    rows = read_rows(path, ("name", "frame", "q1", "median", "q3"))
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    groups = {}
    for row in rows:
        groups.setdefault(point_label(row, header, "name", "frame"), []).append(row)
    if not groups:
        raise PlotError("%s holds no runs" % args.sweep)
    names = sorted({r["name"] for r in rows})
    if len(names) == 1 and len(groups) > 1:
        # One algorithm over a grid: its name goes in the title.
        groups = {label[len(names[0]):].strip(" []"): group for label, group in groups.items()}
    seeds = seed_range(args.sweep)
    sources = record_sources(args.sweep)
    figure, axes = plt.subplots(figsize=(11, 6))
    colours = plt.get_cmap("tab10")
    # Algorithms that keep the same population lie on one line: the styles
    # differ so that each still shows, and the legend gives the end figure.
    styles = ["-", "--", "-.", ":"]
    for i, (name, rows) in enumerate(groups.items()):
        frames = [number(r, "frame", path, int) for r in rows]
        colour = colours(i % 10)
        medians = [number(r, "median", path) for r in rows]
        axes.fill_between(frames, [number(r, "q1", path) for r in rows],
                          [number(r, "q3", path) for r in rows],
                          color=colour, alpha=0.18, linewidth=0)
        axes.plot(frames, medians, color=colour, linewidth=1.8, linestyle=styles[i % len(styles)],
                  label="%s%s: %g at frame %d" % (name, sources.get(name, ""), medians[-1],
                                                  frames[-1]))
    axes.set_title("Population of %s: median and quartile band over %s"
                   % ("each algorithm" if len(names) > 1 else names[0], seeds), loc="left",
                   fontsize="medium")
    axes.set_xlabel("frame")
    axes.set_ylabel("Vobs alive")
    axes.set_ylim(bottom=0)
    if args.log:
        # Linear from 0 to 1, so that an empty world still shows.
        axes.set_yscale("symlog", linthresh=1, linscale=0.4)
        top = max(float(r["q3"]) for rows in groups.values() for r in rows)
        ticks = [0] + [m * 10 ** e for e in range(7) for m in (1, 2, 5)]
        axes.set_yticks([t for t in ticks if t <= max(top * 1.5, 1)])
        axes.yaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(lambda v, _: "%g" % v))
        axes.yaxis.set_minor_locator(matplotlib.ticker.NullLocator())
        axes.set_ylabel("Vobs alive (logarithmic scale)")
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                title="%s (line: median, band: quartiles)"
                % ("algorithm" if len(names) > 1 or len(groups) == 1 else "design point"),
                title_fontsize="small")
    save(figure, args.out)


def record_sources(sweep):
    """Name -> " (preset N)" for the presets of a sweep; record files are named already."""
    try:
        rows = read_rows(os.path.join(sweep, "records.csv"), ("name", "source"))
    except (OSError, PlotError):
        return {}
    return {r["name"]: " (%s)" % r["source"] for r in rows if r["source"].startswith("preset ")}


def seed_range(sweep):
    """'32 seeds (1 to 32)' from runs.csv, or 'the seeds' without it."""
    try:
        seeds = sorted({int(r["seed"]) for r in read_rows(os.path.join(sweep, "runs.csv"),
                                                           ("seed",))})
    except (OSError, PlotError, ValueError):
        return "the seeds"
    if not seeds:
        return "the seeds"
    return "%d seed%s (%d to %d)" % (len(seeds), "s" if len(seeds) > 1 else "", seeds[0],
                                     seeds[-1])


def plot_lifetimes(args):
    path = os.path.join(args.sweep, "lifetimes.csv")
    groups = by_name(read_rows(path, ("name", "lifetime", "died_out")))
    ended = {name: [number(r, "lifetime", path, int) for r in rows if r["died_out"] == "1"]
             for name, rows in groups.items()}
    alive = {name: sum(1 for r in rows if r["died_out"] == "0") for name, rows in groups.items()}
    figure, axes = plt.subplots(figsize=(11, 6))
    longest = max([max(v) for v in ended.values() if v] + [1])
    bins = [longest * i / 40.0 for i in range(41)]
    colours = plt.get_cmap("tab10")
    for i, name in enumerate(groups):
        label = "%s (%d died out, %d alive at the end)" % (name, len(ended[name]), alive[name])
        axes.hist(ended[name], bins=bins, histtype="step", linewidth=1.5,
                  color=colours(i % 10), label=label)
    if not any(ended.values()):
        axes.text(0.5, 0.5, "no civilization died out", transform=axes.transAxes,
                  ha="center", va="center", fontsize="large", color="dimgray")
        axes.set_ylim(0, 1)
    axes.set_ylim(bottom=0)
    axes.set_xlim(0, longest)
    axes.yaxis.set_major_locator(matplotlib.ticker.MaxNLocator(integer=True))
    axes.set_title("Lifetimes of the civilizations that died out, over %s" % seed_range(args.sweep))
    axes.set_xlabel("lifetime (frames from birth to the last Vob's death)")
    axes.set_ylabel("civilizations")
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                title="algorithm", title_fontsize="small")
    save(figure, args.out)


def sweep_design(sweep):
    """The sweep's arguments from its manifest: {'--frames': '2000', ...}."""
    try:
        with open(os.path.join(sweep, "manifest.txt")) as f:
            for line in f:
                if line.startswith("design "):
                    words = line[len("design "):].rstrip("\n").split("\t")
                    return dict(zip(words, words[1:]))
    except OSError:
        pass
    return {}


MEASURES = {
    "mean_population": "mean Vobs alive",
    "lowest_population": "fewest Vobs alive",
    "highest_population": "most Vobs alive",
    "civilizations": "civilizations per run",
    "extinctions": "extinctions per run",
    "food_at_end": "food deposits at the end",
}


def plot_outcome(args):
    path = os.path.join(args.sweep, "design.csv")
    measure = args.measure
    if measure not in MEASURES:
        raise PlotError("--measure is one of %s" % ", ".join(MEASURES))
    columns = [measure + "_mean", measure + "_ci95_low", measure + "_ci95_high", args.x]
    if args.lines:
        columns.append(args.lines)
    rows = read_rows(path, columns)
    rows = [r for r in rows if all(r.get(k) == v for k, v in args.where)]
    if not rows:
        raise PlotError("%s: no design point left to draw" % path)
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    fields = header[header.index("source") + 1:header.index("runs")]
    others = [f for f in fields if f not in (args.x, args.lines)
              and len({r[f] for r in rows}) > 1]
    if others:
        raise PlotError("%s also varies %s: choose one value with --where FIELD=VALUE"
                        % (path, ", ".join(others)))
    groups = {}
    for row in rows:
        label = row["name"] if len({r["name"] for r in rows}) > 1 else ""
        if args.lines:
            label = (label + ", " if label else "") + "%s = %s" % (args.lines, row[args.lines])
        groups.setdefault(label, []).append(row)
    design = sweep_design(args.sweep)
    seeds = seed_range(args.sweep)
    figure, axes = plt.subplots(figsize=(10, 6))
    colours = plt.get_cmap("viridis" if len(groups) > 6 else "tab10")
    markers = ["o", "s", "^", "D", "v", "P", "X"]
    for i, (label, group) in enumerate(groups.items()):
        group.sort(key=lambda r: number(r, args.x, path))
        xs = [number(r, args.x, path) for r in group]
        means = [number(r, measure + "_mean", path) for r in group]
        # One seed leaves no interval: its cells are empty.
        low = [number(r, measure + "_ci95_low", path) if r[measure + "_ci95_low"] else m
               for r, m in zip(group, means)]
        high = [number(r, measure + "_ci95_high", path) if r[measure + "_ci95_high"] else m
                for r, m in zip(group, means)]
        colour = colours(i / max(len(groups) - 1, 1)) if len(groups) > 6 else colours(i % 10)
        axes.fill_between(xs, low, high, color=colour, alpha=0.2, linewidth=0)
        axes.plot(xs, means, color=colour, marker=markers[i % len(markers)], markersize=4,
                  linewidth=1.6, label=label or "mean")
    window = ""
    if measure.endswith("_population") and design:
        window = " over frames %s to %s" % (design.get("--from-frame", "1"),
                                            design.get("--frames", "?"))
    names = sorted({r["name"] for r in rows})
    axes.set_title("%s: %s%s against %s\nmean across %s with its 95 %% confidence band%s"
                   % (", ".join(names) if len(names) <= 2 else "%d algorithms" % len(names),
                      MEASURES[measure], window, args.x, seeds,
                      "".join("; %s = %s" % w for w in args.where)), loc="left",
                   fontsize="medium")
    values = sorted({number(r, args.x, path) for r in rows})
    if len(values) <= 12:
        # Few values (a switch such as vobIQ): ticks at those alone.
        axes.set_xticks(values)
        axes.xaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(lambda v, _: "%g" % v))
    axes.set_xlabel(args.x)
    axes.set_ylabel(MEASURES[measure] + window)
    axes.set_ylim(bottom=min(0, axes.get_ylim()[0]))
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                title=args.lines or None, title_fontsize="small")
    save(figure, args.out)


def plot_survival(args):
    path = os.path.join(args.sweep, "survival.csv")
    rows = read_rows(path, ("name", "frame", "at_risk", "died_out", "survival"))
    rows = [r for r in rows if all(r.get(k) == v for k, v in args.where)]
    if not rows:
        raise PlotError("%s: no design point left to draw" % path)
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    groups = {}
    for row in rows:
        groups.setdefault(point_label(row, header, "source", "frame"), []).append(row)
    names = sorted({r["name"] for r in rows})
    if len(names) == 1:
        # One algorithm: its name goes in the title, the labels keep the values.
        groups = {(label[len(names[0]):].strip(" []") or names[0]): group
                  for label, group in groups.items()}
    figure, axes = plt.subplots(figsize=(11, 6))
    # Curves where no run died out all lie on the top line: one line for them
    # all, so that none hides another.
    dropping = {label: group for label, group in groups.items()
                if any(number(r, "died_out", path, int) for r in group)}
    level = [label for label in groups if label not in dropping]
    colours = plt.get_cmap("viridis" if len(dropping) > 10 else "tab10")
    styles = ["-", "--", "-.", ":"]
    last = max(number(r, "frame", path, int) for r in rows)
    for i, (label, group) in enumerate(dropping.items()):
        frames = [number(r, "frame", path, int) for r in group]
        survival = [number(r, "survival", path) for r in group]
        colour = colours(i / max(len(dropping) - 1, 1)) if len(dropping) > 10 else colours(i % 10)
        runs = number(group[0], "at_risk", path, int)
        died = sum(number(r, "died_out", path, int) for r in group)
        axes.step(frames + [last], survival + [survival[-1]], where="post", color=colour,
                  linewidth=1.6, linestyle=styles[(i // 10) % len(styles)],
                  label="%s: %d of %d died out" % (label, died, runs))
    if level:
        shown = level if len(level) <= 4 else level[:3] + ["..."]
        axes.plot([0, last], [1, 1], color="dimgray", linewidth=2.2, alpha=0.6,
                  label="no run died out (%d design point%s: %s)"
                  % (len(level), "s" if len(level) > 1 else "", "; ".join(shown)))
    axes.set_xlim(0, last)
    axes.set_ylim(-0.02, 1.04)
    axes.set_title("%sRuns whose first civilization still lives (Kaplan-Meier), over %s;\n"
                   "runs still alive at the end count until then"
                   % (names[0] + ": " if len(names) == 1 else "", seed_range(args.sweep)),
                   loc="left", fontsize="medium")
    axes.set_xlabel("frame")
    axes.set_ylabel("share of runs not yet died out")
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(0.0, -0.12), fontsize="small", ncol=2,
                frameon=False)
    save(figure, args.out)


def where_pair(text):
    if "=" not in text:
        raise argparse.ArgumentTypeError("--where wants FIELD=VALUE, not %r" % text)
    return tuple(text.split("=", 1))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    run = commands.add_parser("run", help="population over time of one run")
    run.add_argument("csv", help="CSV of tovrine-world --csv")
    run.add_argument("--name", help="the algorithm's name for the title")
    run.add_argument("--subtitle", help="e.g. 'seed 7'")
    run.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    run.set_defaults(draw=plot_run)
    compare = commands.add_parser("compare", help="median population and quartiles per algorithm")
    compare.add_argument("sweep", help="output folder of tovrine-sweep")
    compare.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    compare.add_argument("--log", action="store_true", help="logarithmic population axis")
    compare.set_defaults(draw=plot_compare)
    lifetimes = commands.add_parser("lifetimes", help="histogram of civilization lifetimes")
    lifetimes.add_argument("sweep", help="output folder of tovrine-sweep")
    lifetimes.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    lifetimes.set_defaults(draw=plot_lifetimes)
    outcome = commands.add_parser("outcome", help="a figure against a varied field, with its "
                                  "95 % confidence band")
    outcome.add_argument("sweep", help="output folder of tovrine-sweep --vary")
    outcome.add_argument("--x", required=True, help="the varied field along the axis")
    outcome.add_argument("--lines", help="a second varied field: one line per value")
    outcome.add_argument("--measure", default="mean_population",
                         help="one of: " + ", ".join(MEASURES) + " (default mean_population)")
    outcome.add_argument("--where", action="append", type=where_pair, default=[],
                         help="FIELD=VALUE: only those design points")
    outcome.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    outcome.set_defaults(draw=plot_outcome)
    survival = commands.add_parser("survival", help="runs not yet died out against the frame")
    survival.add_argument("sweep", help="output folder of tovrine-sweep")
    survival.add_argument("--where", action="append", type=where_pair, default=[],
                          help="FIELD=VALUE: only those design points")
    survival.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    survival.set_defaults(draw=plot_survival)
    args = parser.parse_args()
    try:
        args.draw(args)
    except PlotError as error:
        sys.exit("tovrine_plot: %s" % error)
    except OSError as error:
        sys.exit("tovrine_plot: %s" % error)


if __name__ == "__main__":
    main()
