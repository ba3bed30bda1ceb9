# The two commands of the README: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps.sh).

JOBS ?= $(shell nproc)

# ccache (when installed; CMakeLists.txt turns it on) keys objects by paths
# relative to the checkout, so another clone of the same sources reuses them;
# debug information then names the folder of the build that compiled first.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
export CCACHE_SLOPPINESS := pch_defines,time_macros,include_file_mtime,include_file_ctime

.PHONY: test run deps build fuzz soak

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build-all.sh $(JOBS)

test: deps
	@scripts/test-all.sh $(JOBS)

# The screen saver full screen under Wine: in a window on your display, or,
# without one, on a private Xvfb with screenshots left in out/.
run: deps
	@[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j $(JOBS) --target tovrine-saver report_exit >/dev/null
	@scripts/run-saver.sh

# Each libFuzzer target of tests/fuzz for FUZZ_SECONDS (see scripts/fuzz.sh).
FUZZ_SECONDS ?= 600
fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# The record fuzzer for an hour, its coverage printed every minute
# (see scripts/fuzz-long.sh; FUZZ_LONG=--empty starts from no corpus).
FUZZ_LONG ?=
.PHONY: fuzz-long
fuzz-long: deps
	@scripts/fuzz-long.sh $(FUZZ_LONG) 3600 record

# The native tests, then long runs of every preset and the limit record,
# under the sanitizers (see scripts/soak.sh; `make soak SOAK=--short` for minutes).
SOAK ?=
soak: deps
	@scripts/soak.sh $(SOAK)

# The Windows release: dist/tovrine-<version>-windows.zip (see scripts/dist.sh).
.PHONY: dist
dist: deps
	@scripts/dist.sh $(JOBS)

# The seven presets swept over COMPARE_SEEDS for COMPARE_FRAMES frames each
# (tovrine-sweep, without drawing), then the comparison picture in
# docs/preset-comparison.png; the sweep's tables and the SVGs stay in out/compare/.
# Another number of seeds or frames leaves the committed picture alone: the
# README's caption tells the default ones.
COMPARE_SEEDS ?= 1-32
COMPARE_FRAMES ?= 20000
.PHONY: compare
compare: deps
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tovrine-world tovrine-sweep >/dev/null
	@rm -rf out/compare
	@build/native/tools/world/tovrine-sweep --preset all --seeds $(COMPARE_SEEDS) \
		--frames $(COMPARE_FRAMES) --out out/compare
	@tools/plot/tovrine_plot.py compare out/compare --log --out out/compare/preset-comparison
	@tools/plot/tovrine_plot.py lifetimes out/compare --out out/compare/preset-lifetimes
	@if [ "$(COMPARE_SEEDS)" = 1-32 ] && [ "$(COMPARE_FRAMES)" = 20000 ]; then \
		mkdir -p docs && cp out/compare/preset-comparison.png docs/preset-comparison.png; \
	else \
		echo "compare: docs/preset-comparison.png left as it is (its caption tells seeds 1-32 of 20000 frames);" \
		     "this sweep's picture is out/compare/preset-comparison.png"; \
	fi

# The Linux saver as a Debian package, with the Python module:
# build/native/tovrine_<version>_amd64.deb
.PHONY: deb
deb: deps
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tovrine-linux-saver tovrine-man tovrine_python
	@cd build/native && cpack -G DEB

# The web page: build/web/tovrine.html (one file, opens from disk) and the
# same page as separate files in build/web/site/ (see scripts/web-build.sh).
.PHONY: web serve
web: deps
	@scripts/web-build.sh $(JOBS)

# What the page costs (its frame, its main thread, the whole browser) at
# defaults and with the entity-limit record, beside tovrine-world and the
# Linux saver in a window of the same size: figures (tests/web/bench.mjs).
.PHONY: web-bench
web-bench: web
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tovrine-world tovrine-linux-saver >/dev/null
	@tests/web/run.sh --version >/dev/null && node tests/web/bench.mjs

# Serves build/web on 127.0.0.1 (PORT, default 8000) and prints the address.
PORT ?= 8000
serve: web
	@scripts/web-serve.py build/web $(PORT)
