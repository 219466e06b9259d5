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

# The benchmark (bench/run.py): the program built in Release under build-bench/, timed against the
# decoder alone (djpeg) and against ImageMagick; on demand only, never part of `make test`.
.PHONY: bench
bench:
	@scripts/install-deps.sh libjpeg-turbo-progs imagemagick time python3
	@python3 bench/run.py

clean:
	rm -rf $(BUILD)
