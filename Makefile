# Kobanto: the two everyday commands are `make demo` and `make test`.
# Each first installs whatever Debian packages are missing, then builds into build/.

BUILD   ?= build
CMAKE_FLAGS ?=
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX  ?= $(HOME)/.local

.PHONY: all deps configure build test demo clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DKOBANTO_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)

# Per user, without root (README.md, "Installing"): the program folder PREFIX/lib/kobanto, the
# command PREFIX/bin/kobanto, the desktop entry and the file managers' menus. The prefix reaches
# the scripts through the environment, so that spaces and quotes in it arrive unchanged.
.PHONY: install uninstall
install uninstall: export KOBANTO_PREFIX := $(PREFIX)

install: build
	@scripts/install.sh "$(BUILD)" "$$KOBANTO_PREFIX"

uninstall:
	@scripts/uninstall.sh "$$KOBANTO_PREFIX"

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder
# of its own. Leaks that third-party libraries keep until exit are suppressed (tests/sanitize/).
SANITIZE_BUILD ?= $(BUILD)-sanitize
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: test-sanitize
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DKOBANTO_WERROR=ON -DKOBANTO_SANITIZE=ON \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen $(SANITIZE_ENV) \
	  ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets (fuzz/), built with clang, each run for FUZZ_SECONDS; on demand only.
FUZZ_BUILD ?= $(BUILD)-fuzz
FUZZ_SECONDS ?= 60

.PHONY: fuzz
fuzz:
	@scripts/install-deps.sh clang libclang-rt-14-dev
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh $(FUZZ_BUILD)

# The benchmark (bench/run.py): the program built in Release under build-bench/, timed against the
# decoder alone (djpeg) and against ImageMagick; on demand only, never part of `make test`.
.PHONY: bench
bench:
	@scripts/install-deps.sh libjpeg-turbo-progs imagemagick time python3
	@python3 bench/run.py

clean:
	rm -rf $(BUILD)
