# Kalvenor: the commands a new machine needs.
#   make demo   install what is missing, build, render the island and the village demos into out/
#   make test   install what is missing, build with ASan and UBSan, run every test
#   make        build the release program into build/
#   make bench  time the long operations
#   make fuzz   run every file reader, sessions with a render, and whole scripts under libFuzzer
#               with a fresh seed (FUZZ_SECONDS each, default 15); a nightly job gives an hour:
#               make fuzz FUZZ_SECONDS=3600
#   make install    build if needed and install under PREFIX (/usr/local), staged under DESTDIR if given
#   make uninstall  remove what the last make install wrote (build/install_manifest.txt lists it)

# What the program needs to build and run, and what only the tests, fuzzers and benchmarks need
# (libosmesa6-dev: Mesa's llvmpipe, which the benchmarks compare the renderer with).
PACKAGES := g++ cmake ninja-build pkg-config libjpeg62-turbo-dev libpng-dev libsdl2-dev python3 libgdal-dev libassimp-dev
TEST_PACKAGES := $(PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev libosmesa6-dev python3-ezdxf python3 clang imagemagick parallel ffmpeg slurm-wlm munge xvfb xdotool x11-utils desktop-file-utils gdal-bin assimp-utils
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps test-deps build test demo bench fuzz clean install uninstall

all: build

# Installs the packages of $(1) that are missing.
define install_missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -eq 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

test-deps:
	$(call install_missing,$(TEST_PACKAGES))

build/build.ninja:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVENOR_TESTS=OFF

build: build/build.ninja
	cmake --build build -j $(JOBS)

build-asan/build.ninja:
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALVENOR_SANITIZE=ON

test: test-deps build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)
	JOBS=$(JOBS) tests/fuzz/run_fuzzers.sh
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Every fuzz target under libFuzzer for FUZZ_SECONDS each (clang only); findings are kept in
# build-fuzz/artifacts/TARGET/ and replayed with build-fuzz/TARGET FILE.
fuzz: test-deps
	FUZZ_SEED=0 JOBS=$(JOBS) tests/fuzz/run_fuzzers.sh

demo: deps build
	mkdir -p out
	./build/kalvenor render examples/demo.scr -o out/demo.png -o out/demo.jpg --info
	python3 examples/textures/make_textures.py out/textures
	./build/kalvenor render examples/village.scr -o out/village.png --info

build-bench/build.ninja:
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVENOR_TESTS=OFF -DKALVENOR_BENCH=ON

# The comparison with Mesa's llvmpipe runs on its own, once per thread count: llvmpipe takes
# LP_NUM_THREADS once per process, and the benchmark gives Kalvenor the same count.
bench: test-deps build-bench/build.ninja
	cmake --build build-bench -j $(JOBS)
	./build-bench/kalvenor_bench --benchmark_filter=-FrameVersusGlMesh
	LP_NUM_THREADS=1 ./build-bench/kalvenor_bench --benchmark_filter=FrameVersusGlMesh
	LP_NUM_THREADS=2 ./build-bench/kalvenor_bench --benchmark_filter=FrameVersusGlMesh

# The release program and its files under PREFIX: bin/kalvenor, share/kalvenor/ (quality presets,
# examples), share/doc/kalvenor/, the desktop entry, the icon and the manual page. DESTDIR stages
# the whole tree elsewhere (for packages): make install DESTDIR=/tmp/stage PREFIX=/usr.
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# Removes the files the last install wrote, as CMake's manifest lists them (DESTDIR included).
uninstall:
	sh dist/uninstall.sh build/install_manifest.txt "$(DESTDIR)"

clean:
	rm -rf build build-asan build-bench build-fuzz out
