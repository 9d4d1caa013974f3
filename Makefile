# Two commands matter: `make demo` and `make test`. Both install what they need first.
SHELL := /bin/bash
JOBS ?= 2
export WINEDEBUG := -all

.PHONY: all bootstrap native windows test test-native test-windows demo dist fuzz bench clean

all: native windows

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

windows: bootstrap
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

test-native: native
	ctest --preset native -j $(JOBS)

test-windows: windows
	ctest --preset windows -j $(JOBS)

test: test-native test-windows

dist: windows
	@bash scripts/make-dist.sh build/windows dist

# `make demo UNINSTALL=1` also runs the uninstaller afterwards.
demo: dist
	@UNINSTALL="$(UNINSTALL)" bash scripts/demo.sh

fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzzers
	@bash scripts/run-fuzzers.sh build/fuzz $${FUZZ_SECONDS:-60}

# Ratios of setup.exe and TOVRADE.EXE against baselines measured in the same run (see bench/README.md).
bench: windows
	@python3 bench/bench.py --build build/windows

clean:
	rm -rf build dist
