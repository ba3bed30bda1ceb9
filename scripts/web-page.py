#!/usr/bin/env python3
"""Puts the web page together (make web): build/web/site/ holds the page as
separate files for a web server (index.html, its scripts and styles, the
engine's script and wasm), build/web/tovrine.html the same page as one file
with everything inside, which also opens from disk. Prints the sizes."""
import argparse
import gzip
import hashlib
import json
import os
import re
import shutil
import sys


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def gzipped(data):
    return len(gzip.compress(data, compresslevel=9, mtime=0))


def inline_page(html, page_dir, engine_js):
    """The page's <script src> and stylesheet <link>s replaced by their text."""

    def script_text(name):
        text = engine_js if name == "tovrine-engine.js" else read(os.path.join(page_dir, name))
        # Inside <script> only "</script" and "<!--" mean anything to the parser.
        return text.replace("</script", "<\\/script").replace("<!--", "<\\!--")

    def script(match):
        return "<script" + match.group(2) + ">" + script_text(match.group(1)) + "</script>"

    def style(match):
        return "<style>" + read(os.path.join(page_dir, match.group(1))) + "</style>"

    # Installing and the offline copy belong to the served folder only.
    html = re.sub(r'\n<link rel="(manifest|apple-touch-icon)" href="[^"]*">', "", html)
    html, scripts = re.subn(r'<script src="([^"/]+\.js)"([^>]*)></script>', script, html)
    html, styles = re.subn(r'<link rel="stylesheet" href="([^"/]+\.css)">', style, html)
    if "tovrine-engine.js" in html or re.search(r'<script src=|rel="stylesheet"', html):
        sys.exit("web-page: a script or style of the page was left outside the single file")
    return html


# The served folder's page is index.html; links written for the single file
# (a sweep's runs.csv names tovrine.html) reach it through this, with their
# record and seed.
FORWARD = """<!doctype html>
<meta charset="utf-8">
<title>Tovrine</title>
<script>location.replace("./" + location.search + location.hash);</script>
<p><a href="./">Tovrine</a></p>
"""


def fill_service_worker(site, version):
    """sw.js learns the folder's files and a cache name that changes with
    any of them, so a new version's worker replaces the old copy."""
    names = sorted(n for n in os.listdir(site) if n != "sw.js")
    digest = hashlib.sha256()
    for name in names:
        digest.update(name.encode() + b"\0" + open(os.path.join(site, name), "rb").read())
    worker = os.path.join(site, "sw.js")
    text = read(worker)
    cache = "tovrine-%s-%s" % (version, digest.hexdigest()[:12])
    files = ["./"] + [n for n in names if n != "index.html"] + ["index.html"]
    if '"@CACHE_NAME@"' not in text or '["@FILES@"]' not in text:
        sys.exit("web-page: sw.js has no place for its cache name or files")
    text = text.replace('"@CACHE_NAME@"', json.dumps(cache)).replace('["@FILES@"]', json.dumps(files))
    with open(worker, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--engine-site", required=True)
    parser.add_argument("--engine-single", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--bitmaps", nargs="*", default=[])
    parser.add_argument("--icons", nargs="*", default=[])
    parser.add_argument("--version", default="0")
    args = parser.parse_args()

    html = read(os.path.join(args.page, "tovrine.html"))
    site = os.path.join(args.out, "site")
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(site)
    for name in sorted(os.listdir(args.page)):
        target = "index.html" if name == "tovrine.html" else name
        shutil.copyfile(os.path.join(args.page, name), os.path.join(site, target))
    for name in ("tovrine-engine.js", "tovrine-engine.wasm"):
        shutil.copyfile(os.path.join(args.engine_site, name), os.path.join(site, name))
    for icon in args.icons:
        shutil.copyfile(icon, os.path.join(site, os.path.basename(icon)))
    with open(os.path.join(site, "tovrine.html"), "w", encoding="utf-8") as f:
        f.write(FORWARD)
    fill_service_worker(site, args.version)

    single = inline_page(html, args.page, read(os.path.join(args.engine_single, "tovrine-engine.js")))
    single_path = os.path.join(args.out, "tovrine.html")
    with open(single_path + ".new", "w", encoding="utf-8") as f:
        f.write(single)
    os.replace(single_path + ".new", single_path)

    site_bytes = b"".join(open(os.path.join(site, n), "rb").read() for n in sorted(os.listdir(site)))
    bitmap_bytes = b"".join(open(p, "rb").read() for p in args.bitmaps)
    single_bytes = single.encode("utf-8")
    print("web-page: tovrine.html %d bytes (%d gzipped); site/ %d bytes (%d gzipped), "
          "of it the world's bitmaps %d (%d gzipped)"
          % (len(single_bytes), gzipped(single_bytes), len(site_bytes), gzipped(site_bytes),
             len(bitmap_bytes), gzipped(bitmap_bytes)))


if __name__ == "__main__":
    main()
