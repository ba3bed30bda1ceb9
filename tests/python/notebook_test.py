#!/usr/bin/python3
"""Runs every notebook of a folder from top to bottom in a fresh kernel (Debian's
nbclient and ipykernel), so that an example that no longer runs fails the tests.

    notebook_test.py EXAMPLES_DIR
"""
import glob
import os
import sys

import nbclient
import nbformat


def run(path):
    notebook = nbformat.read(path, as_version=4)
    client = nbclient.NotebookClient(notebook, timeout=60, kernel_name="python3",
                                     resources={"metadata": {"path": os.path.dirname(path)}})
    try:
        client.execute()
    except nbclient.exceptions.CellExecutionError as error:
        return str(error)
    # The last cell answers the question: it must have said something.
    last = [c for c in notebook.cells if c.cell_type == "code"][-1]
    if not any(o.get("text") for o in last.outputs):
        return "the last cell printed no answer"
    return None


def main():
    paths = sorted(glob.glob(os.path.join(sys.argv[1], "*.ipynb")))
    failed = 0
    for path in paths:
        fault = run(path)
        print("%s: %s" % (os.path.basename(path), "ran" if fault is None else "FAILED\n" + fault))
        failed += fault is not None
    print("%d passed, %d failed" % (len(paths) - failed, failed))
    sys.exit(1 if failed or not paths else 0)


if __name__ == "__main__":
    main()
