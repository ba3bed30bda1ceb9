# The two commands of the README: `make run` and `make test`.
# Both install what is missing first (scripts/install-deps.sh).

JOBS ?= $(shell nproc)

.PHONY: test run deps build

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
