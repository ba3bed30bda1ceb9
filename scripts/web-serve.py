#!/usr/bin/env python3
"""Serves a folder on 127.0.0.1 (make serve): the web page's files with the
types a browser wants, the wasm as application/wasm so it compiles while it
loads."""
import functools
import http.server
import sys

folder, port = sys.argv[1], int(sys.argv[2])
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
handler.func.extensions_map = {**handler.func.extensions_map, ".wasm": "application/wasm",
                               ".js": "text/javascript"}
with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
    print(f"serve: the page at http://127.0.0.1:{port}/site/ and, as one file, "
          f"http://127.0.0.1:{port}/tovrine.html (Ctrl-C ends it)", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
