# make        builds build/win32/quipmark.exe
# make run    builds and starts it under Wine
# make test   builds it, the zip and the installer, and runs every test
#             (fuzzers for FUZZ_SECONDS each); CI runs this
# make dist   builds the portable zip and the installer into build/dist
# make bench  runs the benchmarks; make fuzz runs the fuzzers alone
# Each first installs what is missing (scripts/install-deps.sh).

WIN32_DIR  := build/win32
NATIVE_DIR := build/native
JOBS       ?= 2
FUZZ_SECONDS ?= 15

.PHONY: all deps build run test native-test win32-test check-imports dist fuzz screenshots bench clean

all: build

deps:
	@scripts/install-deps.sh

$(WIN32_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(NATIVE_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=Debug

build: deps $(WIN32_DIR)/CMakeCache.txt
	cmake --build $(WIN32_DIR) -j $(JOBS)

run: build
	scripts/run.sh

native-test: deps $(NATIVE_DIR)/CMakeCache.txt
	cmake --build $(NATIVE_DIR) -j $(JOBS)
	ctest --test-dir $(NATIVE_DIR) --output-on-failure

# The end-to-end tests install the installer and unpack the zip of build/dist.
win32-test: build dist
	scripts/with-wine.sh --private-display ctest --test-dir $(WIN32_DIR) --output-on-failure

test: native-test check-imports dist win32-test fuzz

# The exe must run on a bare Windows: no DLL but Windows' own.
check-imports: build
	scripts/check-imports.sh $(WIN32_DIR)/quipmark.exe

dist: build
	scripts/dist.sh

fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

screenshots: build
	scripts/screenshots.sh

clean:
	rm -rf build

bench: build
	scripts/with-wine.sh --private-display wine $(WIN32_DIR)/bench/quipmark_bench.exe \
	    $(WIN32_DIR)/quipmark.exe $(WIN32_DIR)/bench/bench_baseline_app.exe
