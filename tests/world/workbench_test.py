#!/usr/bin/python3
"""tovrine-world's CSV and --no-draw, tovrine-sweep and the plot script, end to end.

CTest runs one test at a time with the programs' paths in the environment:
TOVRINE_WORLD, TOVRINE_SWEEP, TOVRINE_PLOT, TOVRINE_RECORDS, TOVRINE_GOLDEN, TOVRINE_WORK.
"""
import csv
import hashlib
import os
import shlex
import shutil
import subprocess
import time
import unittest

WORLD = os.environ.get("TOVRINE_WORLD", "")
SWEEP = os.environ.get("TOVRINE_SWEEP", "")
PLOT = os.environ.get("TOVRINE_PLOT", "")
RECORDS = os.environ.get("TOVRINE_RECORDS", "")
GOLDEN = os.environ.get("TOVRINE_GOLDEN", "")
WORK = os.environ.get("TOVRINE_WORK", "/tmp/tovrine-workbench")


def work_dir(name):
    path = os.path.join(WORK, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def golden_run(name):
    """Arguments and digest of a stored replay."""
    with open(GOLDEN) as f:
        for line in f:
            if line.startswith("#"):
                continue
            fields = shlex.split(line.replace("@RECORDS@", RECORDS))
            if fields and fields[0] == name:
                return fields[2:], fields[1]
    raise KeyError(name)


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.reader(f))


class CsvFigures(unittest.TestCase):
    def check_replay(self, name):
        args, digest = golden_run(name)
        out = work_dir("csv-" + name)
        drawn_csv = os.path.join(out, "drawn.csv")
        drawn = run([WORLD] + args + ["--stats", "--csv", drawn_csv])
        self.assertEqual(0, drawn.returncode, drawn.stderr)
        # Writing the CSV leaves the replay as it is stored.
        self.assertEqual(digest, hashlib.sha256(drawn.stdout.encode()).hexdigest())
        rows = read_csv(drawn_csv)
        self.assertEqual(["frame", "vobs", "history", "peak", "food", "remains", "whirls",
                          "strength_sum", "x_sum", "y_sum", "civilizations", "births", "deaths",
                          "mean_strength"], rows[0])
        stats = [line.split() for line in drawn.stdout.splitlines()]
        self.assertEqual(stats, [row[:10] for row in rows[1:]])
        civilizations = [int(row[10]) for row in rows[1:]]
        for before, now in zip(rows[1:], rows[2:]):
            vobs_change = int(now[1]) - int(before[1])
            self.assertEqual(vobs_change, int(now[11]) - int(now[12]), now)
            self.assertGreaterEqual(min(int(now[11]), int(now[12])), 0, now)
            if int(now[1]):
                self.assertAlmostEqual(int(now[7]) / int(now[1]), float(now[13]), delta=0.006)
            else:
                self.assertEqual("", now[13])
        self.assertEqual(sorted(civilizations), civilizations)

        # Without drawing: the same figures, byte for byte.
        bare_csv = os.path.join(out, "bare.csv")
        bare = run([WORLD] + args + ["--stats", "--csv", bare_csv, "--no-draw"])
        self.assertEqual(0, bare.returncode, bare.stderr)
        self.assertEqual(drawn.stdout, bare.stdout)
        with open(drawn_csv, "rb") as a, open(bare_csv, "rb") as b:
            self.assertTrue(a.read() == b.read(), "--no-draw changed the CSV")
        return civilizations

    def test_storm_replay(self):
        self.check_replay("storm")

    def test_rebirths_replay_counts_civilizations(self):
        civilizations = self.check_replay("rebirths")
        self.assertEqual(1, civilizations[0])
        self.assertGreater(civilizations[-1], 1)


class Sweep(unittest.TestCase):
    def sweep(self, out, jobs):
        result = run([SWEEP, "--preset", "0,The Storm", "--record",
                      os.path.join(RECORDS, "rebirths.rec"), "--seeds", "3-6", "--frames", "400",
                      "--jobs", str(jobs), "--out", out])
        self.assertEqual(0, result.returncode, result.stderr)
        self.assertIn("12/12 runs done", result.stderr)
        return result

    def test_summary_is_the_same_with_one_process_and_with_three(self):
        one = work_dir("sweep-1")
        three = work_dir("sweep-3")
        self.sweep(one, 1)
        self.sweep(three, 3)
        for name in ("runs.csv", "records.csv", "population.csv", "lifetimes.csv"):
            with open(os.path.join(one, name), "rb") as a, open(os.path.join(three, name),
                                                                  "rb") as b:
                self.assertTrue(a.read() == b.read(), name + " differs")
        runs = read_csv(os.path.join(one, "runs.csv"))
        self.assertEqual(13, len(runs))
        self.assertEqual(["The Original VobLife Algorithm", "preset 0", "3"], runs[1][:3])
        records = read_csv(os.path.join(one, "records.csv"))
        self.assertEqual(["The Original VobLife Algorithm", "The Storm",
                          "The Original VobLife Algorithm (%s)"
                          % os.path.join(RECORDS, "rebirths.rec")],
                         [r[0] for r in records[1:]])
        # One run by hand gives the same figures as the sweep's row for it.
        single = os.path.join(one, "single.csv")
        done = run([WORLD, "--preset", "2", "--seed", "4", "--frames", "400", "--csv", single])
        self.assertEqual(0, done.returncode, done.stderr)
        rows = read_csv(single)[2:]
        vobs = [int(r[1]) for r in rows]
        storm4 = [r for r in runs if r[1] == "preset 2" and r[2] == "4"][0]
        self.assertEqual("%.3f" % (sum(vobs) / len(vobs)), storm4[7])
        self.assertEqual([str(min(vobs)), str(max(vobs)), rows[-1][4]], storm4[8:11])


class Plot(unittest.TestCase):
    def test_plots_are_drawn_from_a_run_and_from_a_sweep(self):
        out = work_dir("plot")
        run_csv = os.path.join(out, "run.csv")
        self.assertEqual(0, run([WORLD, "--preset", "4", "--frames", "300", "--no-draw",
                                 "--csv", run_csv]).returncode)
        sweep = os.path.join(out, "sweep")
        made = run([SWEEP, "--preset", "1,4", "--seeds", "1-2", "--frames", "300",
                    "--out", sweep])
        self.assertEqual(0, made.returncode, made.stderr)
        for command in (["run", run_csv, "--name", "A Green Sign (Doreroder)"],
                        ["compare", sweep], ["lifetimes", sweep]):
            prefix = os.path.join(out, command[0])
            drawn = run([PLOT] + command + ["--out", prefix])
            self.assertEqual(0, drawn.returncode, drawn.stderr)
            with open(prefix + ".png", "rb") as png:
                self.assertEqual(b"\x89PNG\r\n\x1a\n", png.read(8))
            with open(prefix + ".svg") as svg:
                text = svg.read()
            self.assertIn("<svg", text)
            self.assertIn("A Green Sign (Doreroder)", text)


class CsvFile(unittest.TestCase):
    def test_csv_goes_to_stdout_or_to_a_new_folder_and_never_cut_off_under_its_name(self):
        out = work_dir("csv-file")
        to_stdout = run([WORLD, "--frames", "3", "--csv", "-"])
        self.assertEqual(0, to_stdout.returncode, to_stdout.stderr)
        self.assertEqual(5, len(to_stdout.stdout.splitlines()))
        self.assertFalse(os.path.exists("-"))
        nested = os.path.join(out, "a", "b", "run.csv")
        made = run([WORLD, "--frames", "3", "--csv", nested])
        self.assertEqual(0, made.returncode, made.stderr)
        self.assertEqual(5, len(read_csv(nested)))
        # Stopped midway: nothing under the final name.
        stopped = os.path.join(out, "stopped.csv")
        child = subprocess.Popen([WORLD, "--frames", "2000000", "--no-draw", "--csv", stopped])
        while not os.path.exists(stopped + ".partial"):
            time.sleep(0.02)
        time.sleep(0.2)
        child.terminate()
        child.wait()
        self.assertFalse(os.path.exists(stopped))


class SlotExport(unittest.TestCase):
    def test_a_slot_exported_by_wine_reg_becomes_its_record_file(self):
        out = work_dir("slot")
        converter = os.path.join(os.path.dirname(PLOT), "..", "slot_from_reg.py")
        exported = os.path.join(RECORDS, "limit-slot-alg7.reg")  # wine reg export, UTF-16
        with open(os.path.join(RECORDS, "limit.rec"), "rb") as f:
            stored = f.read()
        for slot in ("alg7", "the limit: 5000 vobs, 200 whirls"):
            rec = os.path.join(out, "slot.rec")
            made = run([converter, exported, slot, rec])
            self.assertEqual(0, made.returncode, made.stderr)
            with open(rec, "rb") as f:
                self.assertEqual(stored, f.read())
        missing = run([converter, exported, "alg8", os.path.join(out, "none.rec")])
        self.assertNotEqual(0, missing.returncode)
        self.assertIn("alg7 (The Limit: 5000 Vobs, 200 Whirls)", missing.stderr)


class BadInput(unittest.TestCase):
    def test_bad_inputs_are_refused_with_a_message(self):
        out = work_dir("bad")
        short = os.path.join(out, "short.rec")
        with open(short, "wb") as f:
            f.write(b"\x01" * 100)
        foreign = os.path.join(out, "foreign.rec")
        with open(os.path.join(RECORDS, "rebirths.rec"), "rb") as f:
            record = bytearray(f.read())
        record[120:128] = b"\0" * 8
        with open(foreign, "wb") as f:
            f.write(record)
        blocked = os.path.join(out, "a-file")
        open(blocked, "w").close()
        usage, failure = 2, 1
        good = ["--frames", "10", "--seeds", "1-2"]
        cases = [
            (SWEEP, usage, "unknown preset \"The Calm\"", ["--preset", "The Calm", "--out", out]),
            (SWEEP, usage, "unknown preset \"7\"", ["--preset", "7", "--out", out]),
            (SWEEP, usage, "--seeds is empty", ["--preset", "1", "--seeds", "", "--out", out]),
            (SWEEP, usage, "--seeds 9-3 is reversed", ["--preset", "1", "--seeds", "9-3",
                                                       "--out", out]),
            (SWEEP, usage, "--seeds wants FIRST-LAST", ["--preset", "1", "--seeds", "3-",
                                                        "--out", out]),
            (SWEEP, usage, "nothing to sweep", ["--out", out] + good),
            (SWEEP, failure, "100 bytes, not 128 bytes", ["--record", short, "--out", out] + good),
            (SWEEP, failure, "would replace it as foreign", ["--record", foreign, "--out", out]),
            (SWEEP, failure, "cannot open record file", ["--record", out + "/none.rec",
                                                         "--out", out]),
            (SWEEP, failure, "cannot write into", ["--preset", "1", "--out", blocked + "/x"]
             + good),
            (WORLD, failure, "cannot write CSV file", ["--frames", "5", "--csv",
                                                       blocked + "/x.csv"]),
            (WORLD, failure, "cannot write CSV file", ["--frames", "5", "--csv", out]),
            (WORLD, usage, "--preset wants a whole number from 0 to 6", ["--preset", "9"]),
            (WORLD, usage, "--no-draw leaves nothing for --png", ["--no-draw", "--png", out]),
            (WORLD, usage, "--frames is given twice", ["--frames", "5", "--frames", "6"]),
            (WORLD, failure, "100 bytes, not 128 bytes", ["--record", short]),
            (WORLD, failure, "would replace it as foreign", ["--record", foreign]),
            (WORLD, failure, "\"/dev/full\" failed: No space left on device",
             ["--frames", "5", "--csv", "/dev/full"]),
        ]
        for program, code, message, args in cases:
            with self.subTest(program=os.path.basename(program), args=args):
                result = run([program] + args)
                self.assertEqual(code, result.returncode, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual("", result.stdout)
        self.assertFalse(os.path.exists(os.path.join(out, "runs.csv")))


if __name__ == "__main__":
    unittest.main()
