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
