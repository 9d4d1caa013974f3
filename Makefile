# Two commands matter: `make demo` and `make test`. Both install what they need first.
SHELL := /bin/bash
JOBS ?= 2
export WINEDEBUG := -all

.PHONY: all bootstrap native windows wine-build cdcheck test test-native test-windows demo dist cd fuzz bench bench-scale clean

all: native windows

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

windows: bootstrap
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# The Windows build that Wine runs on this machine (scripts/wine-preset.sh): the shipped 32-bit one, or on
# a machine whose kernel runs no 32-bit code the same sources built for 64 bits, under 64-bit Wine.
wine-build: bootstrap
	@preset=$$(bash scripts/wine-preset.sh) && cmake --preset $$preset >/dev/null && \
		cmake --build --preset $$preset -j $(JOBS)

# The CD checker for authors, built natively (make-cd.sh runs it).
cdcheck: bootstrap
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS) --target cdcheck

test-native: native
	ctest --preset native -j $(JOBS)

# The 32-bit programs are built in any case: they are what ships.
test-windows: windows wine-build
	@preset=$$(bash scripts/wine-preset.sh) && echo "Win32 tests and scenarios: preset $$preset" && \
		ctest --preset $$preset -j $(JOBS)

test: test-native test-windows

# CI runs this before `make test`: every C++ file as clang-format makes it.
check-format: bootstrap
	@bash scripts/check-format.sh

# SIGN=cert.pfx signs the programs (password in SIGN_PASSWORD_FILE or SIGN_PASSWORD, SIGN_TIMESTAMP=url).
dist: windows cdcheck
	@SIGN="$(SIGN)" bash scripts/make-dist.sh build/windows dist

# `make cd SRC=folder OUT=folder [SIGN=cert.pfx]`: an author's CD laid out in OUT, checked, and its image OUT.iso.
cd: windows cdcheck
	@test -n "$(SRC)" -a -n "$(OUT)" || { echo "usage: make cd SRC=source-folder OUT=cd-folder [SIGN=cert.pfx]" >&2; exit 2; }
	@SIGN="$(SIGN)" bash scripts/make-cd.sh "$(SRC)" "$(OUT)"

# `make demo UNINSTALL=1` also runs the uninstaller afterwards; `make demo CD=folder` installs the
# author's own CD instead of the sample.
demo: dist wine-build
	@UNINSTALL="$(UNINSTALL)" CD="$(CD)" bash scripts/demo.sh

fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzzers
	@bash scripts/run-fuzzers.sh build/fuzz $${FUZZ_SECONDS:-60}

# Ratios of setup.exe and TOVRADE.EXE against baselines measured in the same run (see bench/README.md).
# Measured with the build that Wine runs on this machine (see wine-build).
bench: wine-build
	@preset=$$(bash scripts/wine-preset.sh) && \
		arch=$$([ $$preset = windows64 ] && echo win64 || echo win32) && \
		SETUP_WINE_ARCH=$$arch python3 bench/bench.py --build build/$$preset

# How the cost per file grows with the tree: copy-small (and the uninstall) at 5,000 and at 50,000 files,
# each with its time per file and setup.exe's peak memory. Not part of `make bench`: it takes about ten
# minutes more.
bench-scale: wine-build
	@preset=$$(bash scripts/wine-preset.sh) && \
		arch=$$([ $$preset = windows64 ] && echo win64 || echo win32) && \
		for files in 5000 50000; do \
			SETUP_WINE_ARCH=$$arch python3 bench/bench.py --build build/$$preset --cases copy-small,uninstall \
				--small-files $$files --json build/$$preset/bench/results-$$files.json || exit 1; \
		done

clean:
	rm -rf build dist
