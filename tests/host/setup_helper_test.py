#!/usr/bin/python3
"""tovrine-setup on ~/.xscreensaver files of awkward shapes: the programs list
read as the daemon reads it must hold every entry it held, in order, after
--random, --only and --remove; the first backup stays the untouched file; a
read-only file is left alone.

Usage: setup_helper_test.py PATH_OF_TOVRINE_SETUP
"""
import os
import subprocess
import sys
import tempfile
import unittest

SETUP = sys.argv.pop(1) if len(sys.argv) > 1 else ""
OURS = "tovrine --root"


def entries(text):
    """The programs list's entries: lines joined at a final backslash, split
    at each \\n."""
    lines = text.replace("\r\n", "\n").split("\n")
    for i, line in enumerate(lines):
        if line.startswith("programs:"):
            value = line[len("programs:"):]
            while value.endswith("\\") and i + 1 < len(lines):
                i += 1
                value = value[:-1] + lines[i]
            return [e.strip() for e in value.rstrip("\\").split("\\n") if e.strip()]
    return []


def resource(text, name):
    for line in text.replace("\r\n", "\n").split("\n"):
        if line.startswith(name + ":"):
            return line[len(name) + 1:].strip()
    return None


class Setup(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="tovrine-setup-test-")
        self.file = os.path.join(self.home, ".xscreensaver")

    def tearDown(self):
        subprocess.run(["rm", "-rf", self.home])

    def setup(self, *args):
        env = {k: v for k, v in os.environ.items() if k != "XDG_CONFIG_HOME"}
        env["HOME"] = self.home
        return subprocess.run([SETUP] + list(args), env=env, capture_output=True, text=True,
                              stdin=subprocess.DEVNULL)

    def read(self, path=None):
        with open(path or self.file, "rb") as f:
            return f.read().decode()

    def test_the_list_is_kept_entry_for_entry_whatever_the_files_shape(self):
        shapes = {
            "ends inside the list": "timeout: 0:10:00\nprograms:\t\\\n  maze -root \\n\\\n"
                                    "  - qix -root \\n\\\n  xmatrix -root \\n\\\n",
            "ends on a backslash": "programs: \\\n  maze -root \\n\\\n  qix -root \\n\\",
            "windows line ends": "mode:\t\trandom\r\nprograms:\t\\\r\n  maze -root \\n\\\r\n"
                                 "  qix -root \\n\\\r\n\r\nlock: False\r\n",
            "no final line end": "lock: False\nprograms: \\\n  maze -root \\n\\\n  qix -root \\n",
        }
        for shape, original in shapes.items():
            with self.subTest(shape=shape):
                with open(self.file, "w", newline="") as f:
                    f.write(original)
                before = entries(original)
                self.assertGreaterEqual(len(before), 2)
                added = self.setup("--random")
                self.assertEqual(0, added.returncode, added.stderr)
                self.assertEqual(before + [OURS], entries(self.read()))
                self.assertEqual(original, self.read(self.file + ".before-tovrine"))
                only = self.setup("--only")
                self.assertEqual(0, only.returncode, only.stderr)
                text = self.read()
                self.assertEqual(before + [OURS], entries(text))
                self.assertEqual(("one", str(len(before))),
                                 (resource(text, "mode"), resource(text, "selected")))
                # The first backup is the file as the user had it; the next is numbered.
                self.assertEqual(original, self.read(self.file + ".before-tovrine"))
                self.assertTrue(os.path.exists(self.file + ".before-tovrine.1"))
                removed = self.setup("--remove")
                self.assertEqual(0, removed.returncode, removed.stderr)
                text = self.read()
                self.assertEqual(before, entries(text))
                if "\r\n" in original:
                    self.assertEqual(text.count("\n"), text.count("\r\n"))
                self.tearDown()
                self.setUp()

    def test_a_read_only_file_is_left_as_it_is(self):
        original = "programs: \\\n  maze -root \\n\n"
        with open(self.file, "w") as f:
            f.write(original)
        os.chmod(self.file, 0o444)
        refused = self.setup("--random")
        self.assertEqual(1, refused.returncode)
        self.assertIn("read-only", refused.stderr)
        self.assertEqual(original, self.read())
        self.assertEqual([".xscreensaver"], os.listdir(self.home))


if __name__ == "__main__":
    unittest.main()
