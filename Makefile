# make run   set up, build and start Tarvella
# make test  set up, build and run every test
BUILD ?= build
BUILD_SAN ?= build-sanitize
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-unit test-sanitize test-fuzz fuzz fuzz-long run bench format install clean \
        windows test-windows deb test-deb

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test-unit: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(BUILD_SAN)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DTARVELLA_SANITIZE=ON \
	  -DTARVELLA_APP=OFF -DTARVELLA_BENCH=OFF

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps $(BUILD_SAN)/CMakeCache.txt
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD_SAN) --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each (20 in make test).
FUZZ_SECONDS ?= 20
fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

test-fuzz: deps
	scripts/fuzz.sh 20

# Fuzzing to depth (not in make test): every target for FUZZ_LONG_SECONDS (600) each, two at a
# time, keeping what it finds in ~/.cache/tarvella-fuzz; FUZZ_LONG_MERGE=1 merges new coverage
# into fuzz/corpus/.
fuzz-long: deps
	scripts/fuzz-long.sh

test: test-unit test-sanitize test-fuzz

# Windows: dist/tarvella-<version>-win64.zip, cross-built with mingw-w64 (the first run also builds
# wxWidgets, cctz and GoogleTest into ~/.cache/tarvella-win64); its tests under Wine.
windows: build
	scripts/win64/make-windows.sh

test-windows: windows
	scripts/win64/test-windows.sh

# Debian: dist/tarvella_<version>_<arch>.deb by dpkg-buildpackage, checked by lintian; its test
# unpacks it and runs what it installed against the build (not part of make test).
deb: deps
	scripts/deb/make-deb.sh

test-deb: build deb
	scripts/deb/test-deb.sh $(BUILD)

run: build
	@scripts/run.sh $(BUILD)

bench: build
	$(BUILD)/bin/bench_accuracy
	$(BUILD)/bin/bench_periods
	$(BUILD)/bin/bench_export
	$(BUILD)/bin/bench_core --benchmark_color=false
	$(BUILD)/bin/bench_layout --benchmark_color=false
	$(BUILD)/bin/bench_timeline --benchmark_color=false
	$(BUILD)/bin/bench_zone --benchmark_color=false
	$(BUILD)/bin/bench_places --benchmark_color=false
	$(BUILD)/bin/bench_app

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) build-fuzz build-win64 dist
