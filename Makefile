# The two commands of the README: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps.sh).

JOBS ?= $(shell nproc)

.PHONY: test run deps build fuzz soak

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build-all.sh $(JOBS)

test: deps
	@scripts/test-all.sh $(JOBS)

# For now: the default algorithm for 3000 frames on the native build, every
# 100th frame left in out/ as a PNG.
run: deps
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tovrine-world >/dev/null
	@mkdir -p out && rm -f out/frame-*.png
	@build/native/tools/world/tovrine-world --preset 0 --frames 3000 --png out --every 100
	@echo "make run: 30 frames of the default algorithm are in $(CURDIR)/out/frame-*.png"

# Each libFuzzer target of tests/fuzz for FUZZ_SECONDS (see scripts/fuzz.sh).
FUZZ_SECONDS ?= 600
fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# The native tests, then long runs of every preset and the limit record,
# under the sanitizers (see scripts/soak.sh; `make soak SOAK=--short` for minutes).
SOAK ?=
soak: deps
	@scripts/soak.sh $(SOAK)
