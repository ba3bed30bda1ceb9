#!/bin/sh
# Runs the page's browser tests with node's test runner against build/web
# (make web first). Installs puppeteer-core from the committed lockfile when
# the installed copy is not the locked one; it drives Debian's chromium and
# never downloads a browser of its own.
set -eu
cd "$(dirname "$0")"
export PUPPETEER_SKIP_DOWNLOAD=1
if ! cmp -s package-lock.json node_modules/.tovrine-lock 2>/dev/null; then
    npm ci --no-audit --no-fund --loglevel=error
    cp package-lock.json node_modules/.tovrine-lock
fi
# A test that hangs fails after two and a half minutes instead of holding the run.
exec node --test --test-concurrency=1 --test-timeout=150000 "$@"
