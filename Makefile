# make        builds build/win32/quipmark.exe (32-bit) and build/win64/quipmark.exe (64-bit)
# make run    builds them and starts one under Wine (the 32-bit one where it can run)
# make test   builds them, the zips and the installers, and runs every test
#             (fuzzers for FUZZ_SECONDS each) of each build this machine can
#             run; CI runs this. QUIPMARK_NO_32BIT=1 tests as on a machine
#             that runs no 32-bit programs.
# make dist   builds the portable zips and the installers into build/dist
# make bench  runs the benchmarks (the native ones first); make fuzz runs the fuzzers alone
# Each first installs what is missing (scripts/install-deps.sh).

WIN32_DIR  := build/win32
WIN64_DIR  := build/win64
NATIVE_DIR := build/native
NATIVE_BENCH_DIR := build/native-bench
JOBS       ?= 2
FUZZ_SECONDS ?= 15

.PHONY: all deps build run test native-test windows-test check-imports dist fuzz screenshots bench clean

all: build

deps:
	@scripts/install-deps.sh

# Warnings are errors in the builds made here; a compiler of another kind
# still builds the sources without the switch.
$(WIN32_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DQUIPMARK_WERROR=ON

$(WIN64_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN64_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DQUIPMARK_WERROR=ON

$(NATIVE_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUIPMARK_WERROR=ON

# The native benchmarks time optimised code, without the sanitizers.
$(NATIVE_BENCH_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE_BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DQUIPMARK_SANITIZE=OFF -DQUIPMARK_WERROR=ON

build: deps $(WIN32_DIR)/CMakeCache.txt $(WIN64_DIR)/CMakeCache.txt
	cmake --build $(WIN32_DIR) -j $(JOBS)
	cmake --build $(WIN64_DIR) -j $(JOBS)

run: build
	scripts/run.sh

native-test: deps $(NATIVE_DIR)/CMakeCache.txt
	cmake --build $(NATIVE_DIR) -j $(JOBS)
	ctest --test-dir $(NATIVE_DIR) --output-on-failure

# The end-to-end tests install the installers and unpack the zips of build/dist.
windows-test: build dist
	scripts/test-windows.sh

test: native-test check-imports fuzz windows-test

# The exe must run on a bare Windows: no DLL but Windows' own.
check-imports: build
	scripts/check-imports.sh $(WIN32_DIR)/quipmark.exe $(WIN64_DIR)/quipmark.exe

dist: build
	scripts/dist.sh

fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

screenshots: build
	scripts/screenshots.sh

clean:
	rm -rf build

bench: build $(NATIVE_BENCH_DIR)/CMakeCache.txt
	cmake --build $(NATIVE_BENCH_DIR) -j $(JOBS) --target quipmark_native_bench
	$(NATIVE_BENCH_DIR)/bench/quipmark_native_bench
	scripts/with-wine.sh --private-display sh -c \
	    'wine "$$QUIPMARK_BUILD_DIR/bench/quipmark_bench.exe" "$$QUIPMARK_BUILD_DIR/quipmark.exe" "$$QUIPMARK_BUILD_DIR/bench/bench_baseline_app.exe"'
