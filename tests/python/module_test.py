#!/usr/bin/python3
"""import tovrine against tovrine-world and tovrine-record, which it must agree with.

CTest runs it with PYTHONPATH at the built module and the programs' paths in
TOVRINE_WORLD, TOVRINE_RECORD and TOVRINE_RECORDS.
"""
import concurrent.futures
import csv
import io
import math
import os
import subprocess
import tempfile
import threading
import unittest

import numpy as np
from PIL import Image

import tovrine

WORLD = os.environ.get("TOVRINE_WORLD", "")
RECORD = os.environ.get("TOVRINE_RECORD", "")
RECORDS = os.environ.get("TOVRINE_RECORDS", "")


def runner_csv(args):
    done = subprocess.run([WORLD] + args + ["--csv", "-"], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return list(csv.DictReader(io.StringIO(done.stdout)))


class Figures(unittest.TestCase):
    def test_every_frames_figures_equal_the_runners_csv(self):
        cases = [
            (tovrine.Record(0), ["--preset", "0"], 7, False),
            (tovrine.Record("The Storm", whirlCount=5, vobIQ=1),
             ["--preset", "2", "--set", "whirlCount=5", "--set", "vobIQ=1"], 4, True),
            (tovrine.Record.load(os.path.join(RECORDS, "rebirths.rec")),
             ["--record", os.path.join(RECORDS, "rebirths.rec")], 2, False),
        ]
        for record, args, seed, draw in cases:
            with self.subTest(args=args, seed=seed):
                rows = runner_csv(args + ["--seed", str(seed), "--frames", "600", "--no-draw"])
                with tovrine.World(record, seed=seed, draw=draw) as world:
                    # In two steps, as a notebook would.
                    self.assertEqual(250, world.advance(250))
                    self.assertEqual(350, world.advance(350))
                    figures = world.figures()
                self.assertEqual(list(rows[0].keys()), list(figures.keys()))
                for name, values in figures.items():
                    if name == "mean_strength":
                        shown = ["" if math.isnan(v) else "%.2f" % v for v in values]
                    else:
                        self.assertEqual(np.int64, values.dtype)
                        shown = [str(v) for v in values]
                    self.assertEqual([row[name] for row in rows], shown, name)

    def test_worlds_in_threads_give_the_figures_of_each_alone(self):
        runs = [(tovrine.Record(2), 1), (tovrine.Record(0, whirlCount=9), 5),
                (tovrine.Record(6), 3), (tovrine.Record(2), 2)]

        def figures(run):
            with tovrine.World(run[0], seed=run[1]) as world:
                world.advance(300)
                return world.figures()

        alone = [figures(run) for run in runs]
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            together = list(pool.map(figures, runs))
        for a, b in zip(alone, together):
            for name in a:
                self.assertTrue(np.array_equal(a[name], b[name], equal_nan=True), name)

    def test_python_runs_on_while_a_world_advances(self):
        # Were the interpreter's lock held while a world runs, no other
        # thread could see it between its first frame and its last.
        world = tovrine.World(tovrine.Record(2), seed=1)
        thread = threading.Thread(target=world.advance, args=(3000,))
        thread.start()
        seen = set()
        while thread.is_alive():
            seen.add(world.frame)
        thread.join()
        world.close()
        self.assertTrue(any(0 < frame < 3000 for frame in seen), sorted(seen))

    def test_until_stops_where_the_runners_until_stops(self):
        rebirths = os.path.join(RECORDS, "rebirths.rec")
        for until in ("extinction", "population>=10", "population<=5", "frame=123"):
            with self.subTest(until=until):
                rows = runner_csv(["--record", rebirths, "--seed", "2", "--frames", "1000",
                                   "--no-draw", "--until", until])
                last = int(rows[-1]["frame"])
                self.assertLess(last, 1000)
                with tovrine.World(tovrine.Record.load(rebirths), seed=2) as world:
                    self.assertEqual(last, world.advance(1000, until=until))
                    self.assertEqual(last, world.frame)
        # A limit that comes first wins; the run goes on from where it stopped.
        with tovrine.World(tovrine.Record.load(rebirths), seed=2) as world:
            first = world.advance(until="extinction")
        with tovrine.World(tovrine.Record.load(rebirths), seed=2) as world:
            self.assertEqual(first - 10, world.advance(first - 10, until="extinction"))
            self.assertEqual(10, world.advance(50, until="extinction"))
        with self.assertRaisesRegex(ValueError, "until wants"):
            tovrine.World(tovrine.Record(0)).advance(10, until="never")

    def test_the_picture_is_the_runners_png(self):
        with tempfile.TemporaryDirectory() as out:
            done = subprocess.run([WORLD, "--preset", "1", "--seed", "3", "--frames", "40",
                                   "--png", out, "--every", "40"], capture_output=True, text=True)
            self.assertEqual(0, done.returncode, done.stderr)
            png = np.asarray(Image.open(os.path.join(out, "frame-000040.png")).convert("RGB"))
        with tovrine.World(tovrine.Record(1), seed=3, draw=True) as world:
            world.advance(40)
            picture = world.picture()
        self.assertEqual((600, 800, 3), picture.shape)
        self.assertTrue(np.array_equal(png, picture))
        with tovrine.World(tovrine.Record(1), seed=3) as bare:
            with self.assertRaisesRegex(RuntimeError, "draws nothing"):
                bare.picture()


class Records(unittest.TestCase):
    def test_fields_by_name_make_the_record_tools_bytes(self):
        with tempfile.TemporaryDirectory() as out:
            path = os.path.join(out, "storm.rec")
            made = subprocess.run([RECORD, "make", "--preset", "The Storm", "--set",
                                   "whirlCount=7", "--set", "algorithmName=Clever Storm",
                                   "--out", path], capture_output=True, text=True)
            self.assertEqual(0, made.returncode, made.stderr)
            with open(path, "rb") as f:
                stored = f.read()
            loaded = tovrine.Record.load(path)
        record = tovrine.Record(2).set(whirlCount=7, algorithmName="Clever Storm")
        self.assertEqual(stored, bytes(record))
        self.assertEqual(loaded, record)
        self.assertEqual(7, record["whirlCount"])
        self.assertEqual("Clever Storm", record.fields()["algorithmName"])
        self.assertEqual(7, len(tovrine.presets()))
        self.assertIn("whirlCount", [f["name"] for f in tovrine.fields()])

    def test_what_the_pages_would_refuse_is_refused_by_name(self):
        refused = [
            ({"whirlCount": 100000}, "whirlCount wants 0 to 99999"),
            ({"screenDepth": 24}, "screenDepth wants 16 or 32"),
            ({"whirlCount": "5"}, "wants a whole number"),
            ({"whirlCount": 2.5}, "wants a whole number"),
            ({"vobCount": 3}, "no field \"vobCount\""),
            ({"greenLevel": 9000000}, "would be refused by the algorithm page"),
        ]
        for fields, message in refused:
            with self.subTest(fields=fields):
                with self.assertRaisesRegex(ValueError, message):
                    tovrine.Record(0, **fields)
        with self.assertRaisesRegex(ValueError, "no preset 7"):
            tovrine.Record(7)
        with self.assertRaisesRegex(ValueError, "no preset The Sun"):
            tovrine.Record("The Sun")
        # A stored record is the user's: its display is checked when a world is made.
        with self.assertRaisesRegex(ValueError, "width and height must be"):
            tovrine.World(tovrine.Record.load(os.path.join(RECORDS, "huge-display.rec")))

if __name__ == "__main__":
    unittest.main()
