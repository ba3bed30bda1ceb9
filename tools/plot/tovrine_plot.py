#!/usr/bin/python3
"""Pictures of Tovrine's worlds, from the CSV files of tovrine-world and tovrine-sweep.

  tovrine_plot.py run RUN.csv --name NAME --out PREFIX
      population over time of one run (tovrine-world --csv)
  tovrine_plot.py compare SWEEP_DIR --out PREFIX
      median population with its quartile band across seeds, one colour per
      algorithm (population.csv of tovrine-sweep)
  tovrine_plot.py lifetimes SWEEP_DIR --out PREFIX
      histogram of civilization lifetimes (lifetimes.csv of tovrine-sweep)

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


def read_rows(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


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
    rows = read_rows(args.csv)
    if not rows:
        sys.exit("tovrine_plot: %s has no frames" % args.csv)
    frames = [int(r["frame"]) for r in rows]
    vobs = [int(r["vobs"]) for r in rows]
    births = [int(r["civilizations"]) for r in rows]
    name = args.name or os.path.basename(args.csv)
    figure, axes = plt.subplots(figsize=(10, 4.5))
    axes.plot(frames, vobs, color="tab:blue", linewidth=0.9, label="Vobs alive")
    # A new civilization starts where the count of civilizations goes up.
    starts = [f for f, before, now in zip(frames[1:], births, births[1:]) if now > before]
    for i, frame in enumerate(starts):
        axes.axvline(frame, color="tab:red", alpha=0.4, linewidth=0.8,
                     label="new civilization" if i == 0 else None)
    axes.set_title("%s: population over time%s" % (name, " (" + args.subtitle + ")"
                                                   if args.subtitle else ""))
    axes.set_xlabel("frame")
    axes.set_ylabel("Vobs alive")
    axes.set_xlim(frames[0], frames[-1])
    axes.set_ylim(bottom=0)
    axes.grid(alpha=0.3)
    axes.legend(loc="upper right")
    save(figure, args.out)


def plot_compare(args):
    groups = by_name(read_rows(os.path.join(args.sweep, "population.csv")))
    if not groups:
        sys.exit("tovrine_plot: %s holds no runs" % args.sweep)
    seeds = seed_range(args.sweep)
    sources = record_sources(args.sweep)
    figure, axes = plt.subplots(figsize=(11, 6))
    colours = plt.get_cmap("tab10")
    # Algorithms that keep the same population lie on one line: the styles
    # differ so that each still shows, and the legend gives the end figure.
    styles = ["-", "--", "-.", ":"]
    for i, (name, rows) in enumerate(groups.items()):
        frames = [int(r["frame"]) for r in rows]
        colour = colours(i % 10)
        medians = [float(r["median"]) for r in rows]
        axes.fill_between(frames, [float(r["q1"]) for r in rows], [float(r["q3"]) for r in rows],
                          color=colour, alpha=0.18, linewidth=0)
        axes.plot(frames, medians, color=colour, linewidth=1.8, linestyle=styles[i % len(styles)],
                  label="%s%s: %g at frame %d" % (name, sources.get(name, ""), medians[-1],
                                                  frames[-1]))
    axes.set_title("Population of %s: median and quartile band over %s"
                   % ("each algorithm" if len(groups) > 1 else next(iter(groups)), seeds))
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
                title="algorithm (line: median, band: quartiles)", title_fontsize="small")
    save(figure, args.out)


def record_sources(sweep):
    """Name -> " (preset N)" for the presets of a sweep; record files are named already."""
    try:
        rows = read_rows(os.path.join(sweep, "records.csv"))
    except OSError:
        return {}
    return {r["name"]: " (%s)" % r["source"] for r in rows if r["source"].startswith("preset ")}


def seed_range(sweep):
    """'32 seeds (1 to 32)' from runs.csv, or 'the seeds' without it."""
    try:
        seeds = sorted({int(r["seed"]) for r in read_rows(os.path.join(sweep, "runs.csv"))})
    except OSError:
        return "the seeds"
    if not seeds:
        return "the seeds"
    return "%d seed%s (%d to %d)" % (len(seeds), "s" if len(seeds) > 1 else "", seeds[0],
                                     seeds[-1])


def plot_lifetimes(args):
    groups = by_name(read_rows(os.path.join(args.sweep, "lifetimes.csv")))
    ended = {name: [int(r["lifetime"]) for r in rows if r["died_out"] == "1"]
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
    axes.set_ylim(bottom=0)
    axes.set_xlim(0, longest)
    axes.yaxis.set_major_locator(matplotlib.ticker.MaxNLocator(integer=True))
    axes.set_title("Lifetimes of the civilizations that died out, over %s" % seed_range(args.sweep))
    axes.set_xlabel("lifetime (frames from birth to the last Vob's death)")
    axes.set_ylabel("civilizations")
    axes.grid(alpha=0.3)
    axes.legend(loc="upper right", fontsize="small", title="algorithm", title_fontsize="small")
    save(figure, args.out)


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
    args = parser.parse_args()
    try:
        args.draw(args)
    except OSError as error:
        sys.exit("tovrine_plot: %s" % error)


if __name__ == "__main__":
    main()
