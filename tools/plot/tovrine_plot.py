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
      (design.csv of tovrine-sweep --vary); for a design whose other fields
      vary too (LHS, Sobol), a scatter of the design points; the first
      extinction as its restricted mean, with the share of runs censored
  tovrine_plot.py survival SWEEP_DIR --out PREFIX
      share of runs not yet died out against the frame, one curve per design
      point; runs that never died out count until their last frame
      (survival.csv of tovrine-sweep)

Each writes PREFIX.png and PREFIX.svg, and takes --title, --xlabel, --ylabel,
--logx and --dpi. Titles name every field a sweep fixed (--set) and where its
algorithms came from; axes are labelled with the fields' units.
"""
import argparse
import csv
import os
import sys

# The field table with units, shared with tools/design.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "design"))
import record_fields  # noqa: E402
from sweep_folder import (fixed_text, is_time_to_event, own_measures,  # noqa: E402
                          sweep_provenance, sweep_words)

# Debian's python3 with python3-matplotlib (scripts/install-deps.sh): the
# first line names it, not whichever python3 comes first on the PATH. Loaded
# once the command line is read, so that --help answers at once.
matplotlib = None
plt = None


def load_matplotlib():
    global matplotlib, plt
    import matplotlib as library
    library.use("Agg")  # files only, no display needed
    import matplotlib.pyplot
    import matplotlib.ticker  # noqa: F401
    matplotlib, plt = library, matplotlib.pyplot
    # SVG text stays text, and the same input gives the same file.
    plt.rcParams["svg.fonttype"] = "none"
    plt.rcParams["svg.hashsalt"] = "tovrine"


class PlotError(Exception):
    """A file that is not what the plot needs: said in one line, no traceback."""


def text_of(cell):
    """A cell as it was before the sweep kept it from reading as a formula."""
    return cell[1:] if cell[:1] == "'" and cell[1:2] in ("=", "+", "-", "@") else cell


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
                rows.append({key: text_of(value) for key, value in row.items()})
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


def finish(figure, axes, args, title, xlabel, ylabel, counts=True):
    """What every plot shares: the title (or --title), the axes' labels (or
    --xlabel, --ylabel), a logarithmic frame axis (--logx), a count axis that
    starts at 0 and shows an all-zero figure on 0 to 1, a legend only for
    more than one series, and the files at --dpi."""
    axes.set_title(args.title if args.title is not None else title, loc="left",
                   fontsize="medium")
    axes.set_xlabel(args.xlabel if args.xlabel is not None else xlabel)
    axes.set_ylabel(args.ylabel if args.ylabel is not None else ylabel)
    if args.logx:
        left = max(axes.get_xlim()[0], 1)
        axes.set_xscale("log")
        axes.set_xlim(left=left)
    if counts and axes.get_yscale() == "linear":
        axes.set_ylim(bottom=0, top=max(axes.get_ylim()[1], 1))
    handles, _ = axes.get_legend_handles_labels()
    if len(handles) < 2 and axes.get_legend() is not None:
        axes.get_legend().remove()
    save(figure, args.out, args.dpi, getattr(args, "sweep", None))


def save(figure, prefix, dpi=110, sweep=None):
    """PNG and SVG; a sweep's pictures carry its manifest's commit and
    command in their metadata (PNG text chunks, the SVG's description)."""
    directory = os.path.dirname(prefix)
    if directory:
        os.makedirs(directory, exist_ok=True)
    made = sweep_provenance(sweep) if sweep else {}
    figure.tight_layout()
    figure.savefig(prefix + ".png", dpi=dpi,
                   metadata={"Tovrine %s" % key: value for key, value in made.items()})
    figure.savefig(prefix + ".svg", metadata={
        "Date": None, "Description": "; ".join("%s: %s" % kv for kv in made.items()) or None})
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
    axes.set_xlim(frames[0], frames[-1])
    axes.grid(alpha=0.3)
    # Above the plot, so that it never covers the line.
    axes.legend(loc="lower right", bbox_to_anchor=(1.0, 1.01), ncol=2, fontsize="small",
                frameon=False)
    finish(figure, axes, args, "%s: population over time%s"
           % (name, " (" + args.subtitle + ")" if args.subtitle else ""),
           "frame", "Vobs alive (Vobs)")


def point_label(row, header, first, last):
    """The name and the varied fields' values: the columns between two known
    ones; a design's row number too, since two rows may hold the same values."""
    fields = [f for f in header[header.index(first) + 1:header.index(last)] if f != "point"]
    values = ", ".join("%s=%s" % (f, row[f]) for f in fields)
    if row.get("point"):
        values = "point %s: %s" % (row["point"], values)
    return row["name"] + (" [%s]" % values if values else "")


# More series than a legend can name: drawn thin and unnamed.
MOST_NAMED = 12


def sweep_design(sweep):
    """The sweep's arguments from its manifest: {'--frames': '2000', ...}."""
    words = sweep_words(sweep)
    return dict(zip(words, words[1:]))


def title_lines(*lines):
    return "\n".join(line for line in lines if line)


def plot_compare(args):
    path = os.path.join(args.sweep, "population.csv")
    rows = read_rows(path, ("name", "source", "frame", "q1", "median", "q3"))
    rows = [r for r in rows if all(r.get(k) == v for k, v in args.where)]
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    groups = {}
    for row in rows:
        groups.setdefault(point_label(row, header, "source", "frame"), []).append(row)
    if not groups:
        raise PlotError("%s holds no runs" % args.sweep)
    names = sorted({r["name"] for r in rows})
    if len(names) == 1 and len(groups) > 1:
        # One algorithm over a grid: its name goes in the title.
        groups = {label[len(names[0]):].strip(" []"): group for label, group in groups.items()}
    seeds = seed_range(args.sweep)
    sources = {r["name"]: " (%s)" % r["source"] for r in rows
               if r["source"].startswith("preset ")}
    figure, axes = plt.subplots(figsize=(11, 6))
    colours = plt.get_cmap("tab10")
    # Algorithms that keep the same population lie on one line: the styles
    # differ so that each still shows, and the legend gives the end figure.
    styles = ["-", "--", "-.", ":"]
    named = len(groups) <= MOST_NAMED
    # Lines of equal values would hide each other whatever their style: each
    # is drawn wider than the ones after it, so it shows as their border, and
    # the legend says which line it shares.
    series = {name: ([number(r, "frame", path, int) for r in rows],
                     [number(r, "median", path) for r in rows]) for name, rows in groups.items()}
    first_of = {}
    for name, line in series.items():
        first_of.setdefault(repr(line), name)
    later = {key: sum(1 for other in series.values() if repr(other) == key) for key in first_of}
    for i, (name, rows) in enumerate(groups.items()):
        frames, medians = series[name]
        colour = colours(i % 10)
        key = repr(series[name])
        later[key] -= 1
        same = first_of[key] if first_of[key] != name else ""
        if named:
            axes.fill_between(frames, [max(0, number(r, "q1", path)) for r in rows],
                              [number(r, "q3", path) for r in rows],
                              color=colour, alpha=0.18, linewidth=0)
        axes.plot(frames, medians, color=colour,
                  linewidth=(1.8 + 2.2 * later[key]) if named else 0.7,
                  linestyle=styles[i % len(styles)] if named and not later[key] else "-",
                  label="%s%s: %g at frame %d%s" % (
                      name, sources.get(name, ""), medians[-1], frames[-1],
                      " (the same line as %s)" % same if same else "") if named else None)
    ylabel = "Vobs alive (Vobs)"
    if args.log:
        # Linear from 0 to 1, so that an empty world still shows.
        axes.set_yscale("symlog", linthresh=1, linscale=0.4)
        top = max(float(r["q3"]) for rows in groups.values() for r in rows)
        ticks = [0] + [m * 10 ** e for e in range(7) for m in (1, 2, 5)]
        axes.set_yticks([t for t in ticks if t <= max(top * 1.5, 1)])
        axes.yaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(lambda v, _: "%g" % v))
        axes.yaxis.set_minor_locator(matplotlib.ticker.NullLocator())
        axes.set_ylim(bottom=0)
        ylabel = "Vobs alive (Vobs, logarithmic scale)"
    axes.grid(alpha=0.3)
    if named:
        axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                    title="%s (line: median, band: quartiles)"
                    % ("algorithm" if len(names) > 1 or len(groups) == 1 else "design point"),
                    title_fontsize="small")
    single = names[0] + sources.get(names[0], "") if len(names) == 1 else "each algorithm"
    finish(figure, axes, args, title_lines(
        "Population of %s: median%s over %s%s" % (
            single, " and quartile band" if named else "", seeds,
            "".join("; %s = %s" % w for w in args.where)),
        "" if named else "%d design points, too many to name: --where FIELD=VALUE picks some"
        % len(groups),
        fixed_text(args.sweep)), "frame", ylabel)


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
    axes.set_xlim(0, longest)
    axes.yaxis.set_major_locator(matplotlib.ticker.MaxNLocator(integer=True))
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                title="algorithm", title_fontsize="small")
    names = list(groups)
    one = "" if len(names) != 1 else "%s (%d died out, %d alive at the end): " % (
        names[0], len(ended[names[0]]), alive[names[0]])
    finish(figure, axes, args, title_lines(
        "%sLifetimes of the civilizations that died out, over %s" % (one, seed_range(args.sweep)),
        fixed_text(args.sweep)),
        "lifetime (frames from birth to the last Vob's death)", "civilizations")


MEASURES = {
    "first_extinction": "first extinction (frames)",
    "until_frame": "frame where --until held (frames)",
    "mean_population": "mean Vobs alive (Vobs)",
    "lowest_population": "fewest Vobs alive (Vobs)",
    "highest_population": "most Vobs alive (Vobs)",
    "civilizations": "civilizations per run",
    "extinctions": "extinctions per run",
    "food_at_end": "food deposits at the end (deposits)",
}


def interval_columns(header, measure):
    """The interval's low and high columns of a measure, whatever its level."""
    for column in header:
        if column.startswith(measure + "_ci") and column.endswith("_low"):
            level = column[len(measure) + 3:-4].replace("_", ".")
            return column, column[:-4] + "_high", level
    raise PlotError("design.csv has no interval of %s" % measure)


def plot_outcome(args):
    path = os.path.join(args.sweep, "design.csv")
    measure = args.measure
    own = own_measures(args.sweep)
    if measure not in MEASURES and measure not in own:
        raise PlotError("--measure is one of %s, or a --measure of the sweep's own (%s)"
                        % (", ".join(MEASURES), ", ".join(own) or "it has none"))
    if measure in own:
        MEASURES[measure] = "%s: %s" % (measure, own[measure])
    # The first extinction is a time to an event: each point's restricted
    # mean up to --frames, with the share of its runs censored, and no band.
    timed = is_time_to_event(args.sweep, measure)
    value_column = measure + "_restricted_mean" if timed else measure + "_mean"
    columns = [value_column, args.x]
    if args.lines:
        columns.append(args.lines)
    rows = read_rows(path, columns)
    rows = [r for r in rows if all(r.get(k) == v for k, v in args.where)]
    if not rows:
        raise PlotError("%s: no design point left to draw" % path)
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    low_column, high_column, level = (value_column, value_column, None) if timed \
        else interval_columns(header, measure)
    fields = [f for f in header[header.index("source") + 1:header.index("runs")] if f != "point"]
    others = [f for f in fields if f not in (args.x, args.lines)
              and len({r[f] for r in rows}) > 1]
    if others and "point" not in header:
        raise PlotError("%s also varies %s: choose one value with --where FIELD=VALUE"
                        % (path, ", ".join(others)))
    if others:
        return plot_scatter(args, path, rows, value_column, others, timed)
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
        means = [number(r, value_column, path) for r in group]
        # One seed leaves no interval: its cells are empty. A count's band
        # stops at 0, below which no count goes.
        low = [max(0.0, number(r, low_column, path)) if r[low_column] else m
               for r, m in zip(group, means)]
        high = [number(r, high_column, path) if r[high_column] else m
                for r, m in zip(group, means)]
        colour = colours(i / max(len(groups) - 1, 1)) if len(groups) > 6 else colours(i % 10)
        axes.fill_between(xs, low, high, color=colour, alpha=0.2, linewidth=0)
        axes.plot(xs, means, color=colour, marker=markers[i % len(markers)], markersize=4,
                  linewidth=1.6, label=label or "mean", clip_on=False)
    window = ""
    if measure.endswith("_population") and design:
        window = " over frames %s to %s" % (design.get("--from-frame", "1"),
                                            design.get("--frames", "?"))
    names = sorted({r["name"] for r in rows})
    values = sorted({number(r, args.x, path) for r in rows})
    if len(values) <= 12 and not args.logx:
        # Few values (a switch such as vobIQ): ticks at those alone.
        axes.set_xticks(values)
        axes.xaxis.set_major_formatter(matplotlib.ticker.FuncFormatter(lambda v, _: "%g" % v))
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(1.01, 1.0), fontsize="small",
                title=args.lines or None, title_fontsize="small")
    what = MEASURES[measure].split(" (")[0]
    summary = "mean across %s with its %s %% confidence band" % (seeds, level)
    if timed:
        what = "restricted mean of %s up to frame %s" % (what, design.get("--frames", "?"))
        summary = "over %s; %s" % (seeds, censored_text(rows, path, measure))
    finish(figure, axes, args, title_lines(
        "%s: %s%s against %s" % (", ".join(names) if len(names) <= 2
                                 else "%d algorithms" % len(names), what, window, args.x),
        summary + "".join("; %s = %s" % w for w in args.where),
        fixed_text(args.sweep)),
        record_fields.axis_label(args.x), value_label(measure) + window)


def value_label(measure):
    """The vertical axis: a time to an event is its restricted mean."""
    if measure in ("first_extinction", "until_frame") or MEASURES[measure].endswith("(frames)") \
            or MEASURES[measure].replace(" ", "").split(":")[-1].startswith("first("):
        return "restricted mean of %s (frames)" % MEASURES[measure].split(" (")[0]
    return MEASURES[measure]


def censored_text(rows, path, measure):
    """The share of a time to an event's runs censored, over design points."""
    runs = sum(number(r, "runs", path, int) for r in rows)
    shares = [number(r, measure + "_censored_share", path) for r in rows]
    censored = round(sum(s * number(r, "runs", path, int) for s, r in zip(shares, rows)))
    if not censored:
        return "no run censored"
    return "%d of %d runs censored (%.0f %% to %.0f %% per point)" % (
        censored, runs, 100 * min(shares), 100 * max(shares))


def plot_scatter(args, path, rows, value_column, others, timed):
    """A design over several fields (LHS, Sobol): each design point's figure
    against one field while the others vary, coloured by the first other."""
    figure, axes = plt.subplots(figsize=(10, 6))
    xs = [number(r, args.x, path) for r in rows]
    ys = [number(r, value_column, path) for r in rows]
    shade = [number(r, others[0], path) for r in rows]
    drawn = axes.scatter(xs, ys, c=shade, cmap="viridis", s=28, edgecolors="black",
                         linewidths=0.3, clip_on=False)
    figure.colorbar(drawn, ax=axes, label=record_fields.axis_label(others[0]))
    axes.grid(alpha=0.3)
    names = sorted({r["name"] for r in rows})
    what = MEASURES[args.measure].split(" (")[0]
    summary = "each dot a design point, its mean across %s" % seed_range(args.sweep)
    if timed:
        what = "restricted mean of %s up to frame %s" % (
            what, sweep_design(args.sweep).get("--frames", "?"))
        summary = "each dot a design point across %s; %s" % (
            seed_range(args.sweep), censored_text(rows, path, args.measure))
    finish(figure, axes, args, title_lines(
        "%s: %s against %s" % (", ".join(names) if len(names) <= 2
                               else "%d algorithms" % len(names), what, args.x),
        summary, "%s vary%s too" % (", ".join(others), "" if len(others) > 1 else "s"),
        fixed_text(args.sweep)),
        record_fields.axis_label(args.x), value_label(args.measure))


def plot_survival(args):
    path = os.path.join(args.sweep, "survival.csv")
    rows = read_rows(path, ("name", "frame", "at_risk", "died_out", "survival"))
    rows = [r for r in rows if all(r.get(k) == v for k, v in args.where)]
    if not rows:
        raise PlotError("%s: no design point left to draw" % path)
    with open(path, newline="") as f:
        header = next(csv.reader(f))
    band = [c for c in header if c.startswith("ci") and c.endswith("_low")]
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
        if band:
            # Greenwood's band around the curve.
            low = [number(r, band[0], path) for r in group]
            high = [number(r, band[0][:-4] + "_high", path) for r in group]
            axes.fill_between(frames + [last], low + [low[-1]], high + [high[-1]], step="post",
                              color=colour, alpha=0.15, linewidth=0)
        # The runs still alive at the end are censored there: a mark, and
        # how many, beside the curve's end.
        censored = sum(number(r, "censored", path, int) for r in group if "censored" in r)
        # A run that --until stopped before the end is censored where it stopped.
        early = [(f, s) for f, s, r in zip(frames, survival, group)
                 if f < last and number(r, "censored", path, int)]
        if early:
            axes.plot([f for f, _ in early], [s for _, s in early], marker="|", markersize=9,
                      markeredgewidth=1.5, color=colour, linestyle="none")
        if censored:
            axes.plot([last], [survival[-1]], marker="+", markersize=12, markeredgewidth=2,
                      color=colour, linestyle="none", clip_on=False)
            axes.annotate("%d censored" % censored, (last, survival[-1]), textcoords="offset "
                          "points", xytext=(-6, 6), ha="right", fontsize="small", color=colour)
    if level:
        shown = level if len(level) <= 4 else level[:3] + ["..."]
        axes.plot([0, last], [1, 1], color="dimgray", linewidth=2.2, alpha=0.6,
                  label="no run died out (%d design point%s: %s)"
                  % (len(level), "s" if len(level) > 1 else "", "; ".join(shown)))
        # Every one of their runs is censored: at the end, or where --until
        # stopped it.
        early = sorted({number(r, "frame", path, int) for label in level for r in groups[label]
                        if number(r, "frame", path, int) < last
                        and number(r, "censored", path, int)})
        if early:
            axes.plot(early, [1] * len(early), marker="|", markersize=9, markeredgewidth=1.5,
                      color="dimgray", linestyle="none")
        at_end = sum(number(r, "censored", path, int) for label in level for r in groups[label]
                     if number(r, "frame", path, int) == last)
        if at_end:
            axes.plot([last], [1], marker="+", markersize=12, markeredgewidth=2,
                      color="dimgray", linestyle="none", clip_on=False)
        runs = sum(number(groups[label][0], "at_risk", path, int) for label in level)
        axes.annotate("%d censored%s" % (runs, "" if at_end == runs else
                                         ", %d before the end" % (runs - at_end)),
                      (last, 1), textcoords="offset points",
                      xytext=(-6, -12), ha="right", fontsize="small", color="dimgray")
    axes.set_xlim(0, last)
    axes.set_ylim(0, 1.04)
    axes.grid(alpha=0.3)
    axes.legend(loc="upper left", bbox_to_anchor=(0.0, -0.12), fontsize="small", ncol=2,
                frameon=False)
    band_text = ("; band: Greenwood's %s %% interval" % band[0][2:-4].replace("_", ".")
                 if band and dropping else "")
    one = ""
    if len(groups) == 1 and dropping:
        label = list(dropping)[0]
        group = dropping[label]
        one = ": %d of %d died out" % (sum(number(r, "died_out", path, int) for r in group),
                                       number(group[0], "at_risk", path, int))
    # The one line for the points where no run died out needs no legend,
    # but its points are named.
    alone = "no run died out: " + "; ".join(level) if level and not dropping else ""
    runs = sum(number(g[0], "at_risk", path, int) for g in groups.values())
    censored_runs = sum(number(r, "censored", path, int) for g in groups.values() for r in g)
    share = "%d of %d runs censored (%.0f %%)" % (censored_runs, runs,
                                                 100.0 * censored_runs / max(runs, 1))
    finish(figure, axes, args, title_lines(
        "%sRuns whose first civilization still lives (Kaplan-Meier), over %s%s"
        % (names[0] + ": " if len(names) == 1 else "", seed_range(args.sweep), one), alone,
        "+: runs alive at the end, |: runs stopped alive before it, censored there: %s%s"
        % (share, band_text),
        fixed_text(args.sweep)),
        "frame", "share of runs not yet died out", counts=False)


def where_pair(text):
    if "=" not in text:
        raise argparse.ArgumentTypeError("--where wants FIELD=VALUE, not %r" % text)
    return tuple(text.split("=", 1))


def add_common(parser):
    """The options every plot takes."""
    parser.add_argument("--out", required=True, help="writes OUT.png and OUT.svg")
    parser.add_argument("--title", help="the title instead of the one made from the files")
    parser.add_argument("--xlabel", help="the horizontal axis's label")
    parser.add_argument("--ylabel", help="the vertical axis's label")
    parser.add_argument("--logx", action="store_true", help="a logarithmic horizontal axis")
    parser.add_argument("--dpi", type=int, default=110, help="the PNG's resolution (default 110)")


def main():
    # A raw description is printed as it is (only help texts are formatted
    # with %, where a percent sign is written %%).
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    run = commands.add_parser("run", help="population over time of one run")
    run.add_argument("csv", help="CSV of tovrine-world --csv")
    run.add_argument("--name", help="the algorithm's name for the title")
    run.add_argument("--subtitle", help="e.g. 'seed 7'")
    run.set_defaults(draw=plot_run)
    compare = commands.add_parser("compare", help="median population and quartiles per algorithm")
    compare.add_argument("sweep", help="output folder of tovrine-sweep")
    compare.add_argument("--log", action="store_true", help="logarithmic population axis")
    compare.add_argument("--where", action="append", type=where_pair, default=[],
                         help="FIELD=VALUE: only those design points")
    compare.set_defaults(draw=plot_compare)
    lifetimes = commands.add_parser("lifetimes", help="histogram of civilization lifetimes")
    lifetimes.add_argument("sweep", help="output folder of tovrine-sweep")
    lifetimes.set_defaults(draw=plot_lifetimes)
    outcome = commands.add_parser("outcome", help="a figure against a varied field, with its "
                                  "confidence band (95 %% unless the sweep's --ci said otherwise)")
    outcome.add_argument("sweep", help="output folder of tovrine-sweep --vary")
    outcome.add_argument("--x", required=True, help="the varied field along the axis")
    outcome.add_argument("--lines", help="a second varied field: one line per value")
    outcome.add_argument("--measure", default="mean_population",
                         help="one of: " + ", ".join(MEASURES) + " (default mean_population)")
    outcome.add_argument("--where", action="append", type=where_pair, default=[],
                         help="FIELD=VALUE: only those design points")
    outcome.set_defaults(draw=plot_outcome)
    survival = commands.add_parser("survival", help="runs not yet died out against the frame, "
                                   "with censoring marks and Greenwood's band")
    survival.add_argument("sweep", help="output folder of tovrine-sweep")
    survival.add_argument("--where", action="append", type=where_pair, default=[],
                          help="FIELD=VALUE: only those design points")
    survival.set_defaults(draw=plot_survival)
    for command in (run, compare, lifetimes, outcome, survival):
        add_common(command)
    args = parser.parse_args()
    load_matplotlib()
    try:
        args.draw(args)
    except PlotError as error:
        sys.exit("tovrine_plot: %s" % error)
    except OSError as error:
        sys.exit("tovrine_plot: %s" % error)


if __name__ == "__main__":
    main()
