# make run   installs what is missing, builds, and runs the demo host on the demo database
# make test  installs what is missing, builds, and runs every test (plain and sanitized)
# make package      Debian packages in build/packages (liborvicrm1, liborvicrm-dev, orvicrm-tools)
# make abi-update   writes abi/OrviCrm.abi anew from the built library (see README)
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
BIN        := $(BUILD)/bin
DEMO_DB    := $(BIN)/OrviMdb/OrviCrm.db
SNAPSHOTS  ?= $(CURDIR)/snapshots
# ccache keys on paths relative to the tree and not on the build folder, so clones of it
# share their objects.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

.PHONY: all setup build build-asan run test test-plain test-asan bench format clean
.PHONY: package abi-update

all: build

setup:
	@scripts/setup

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVI_SANITIZE=ON

build-asan: setup $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

$(DEMO_DB): | build
	$(BIN)/orvicrm-db init $(DEMO_DB)
	@if $(BIN)/orvicrm-db 2>&1 | grep -q seed; then $(BIN)/orvicrm-db seed $(DEMO_DB); fi

run: build $(DEMO_DB)
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: rendering the windows to $(SNAPSHOTS)"; \
	  QT_QPA_PLATFORM=offscreen $(BIN)/orvicrm-host --snapshot $(SNAPSHOTS); \
	  echo "Pictures of the windows are in $(SNAPSHOTS)"; \
	else \
	  $(BIN)/orvicrm-host; \
	fi

test: test-plain test-asan

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j 2
	@if [ -s $(BUILD)/abi-note.txt ]; then cat $(BUILD)/abi-note.txt; fi

test-asan: build-asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j 2

package: build
	cmake --build $(BUILD) --target package

abi-update: build
	cmake --build $(BUILD) --target abi-update

bench: build
	$(BIN)/orvicrm-bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
