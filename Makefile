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

# The benchmark (bench/run.py): the program built in Release under build-bench/, timed against the
# decoder alone (djpeg) and against ImageMagick; on demand only, never part of `make test`.
.PHONY: bench
bench:
	@scripts/install-deps.sh libjpeg-turbo-progs imagemagick time python3
	@python3 bench/run.py

clean:
	rm -rf $(BUILD)
