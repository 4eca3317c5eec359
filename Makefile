# SPDX-License-Identifier: GPL-3.0-or-later
# make run   - install what is missing, build, start the program
# make test  - install what is missing, build, run every test (CTest)
#              but the package build (label "package", which `make deb` runs)
# make bench - build and run the benchmarks
# make asan  - the tests again under AddressSanitizer + UndefinedBehaviorSanitizer
#              (without the package build, CTest label "package")
# make fuzz  - every reader and writer under libFuzzer (clang), FUZZ_SECONDS each
# make deb   - the Debian package, built from a copy of the tree in build-deb/,
#              checked with lintian; the .deb lands in build-deb/

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
DEB_BUILD  ?= build-deb
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: run test bench asan fuzz deb deps build install clean FORCE

deps:
	@./scripts/install-deps

# The arguments of the last configure are kept beside the build; when they
# change, the cache is dropped and the build configured again, so a reused
# build folder never keeps options the caller no longer asks for (or misses
# new ones such as -DVCQ_WERROR=ON).
$(BUILD)/.cmake-args: FORCE
	@mkdir -p $(BUILD)
	@printf '%s\n' '$(CMAKE_ARGS)' | cmp -s - $@ || { rm -f $(BUILD)/CMakeCache.txt; printf '%s\n' '$(CMAKE_ARGS)' > $@; }

$(BUILD)/build.ninja: $(BUILD)/.cmake-args
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-program $(BUILD)/vellora-carnetique-97

# The package check is a whole second build: `make deb` runs it, not every test run.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --label-exclude '^package$$'

asan: deps
	rm -f $(ASAN_BUILD)/CMakeCache.txt
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVCQ_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --label-exclude '^package$$'

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVCQ_BUILD_TESTS=OFF -DVCQ_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && (cd $(BENCH_BUILD) && ../$$b) || true; done
	@./bench/startup $(BENCH_BUILD) || true
	@./bench/interop_compare $(BENCH_BUILD) || true
	@./bench/search_compare $(BENCH_BUILD) || true
	@./bench/search_memory $(BENCH_BUILD) || true
	@./bench/accessibility $(BENCH_BUILD) || true

# Qt comes from Debian's g++ build: clang++ uses the same libstdc++, so the
# instrumented code links with it; Qt itself is not instrumented.
fuzz: deps
	@./scripts/install-deps --fuzz
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++-14 -DVCQ_FUZZ=ON -DVCQ_BUILD_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_vcard fuzz_csv fuzz_mapping \
		fuzz_dav_xml fuzz_sync_files
	./scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

deb: deps
	./scripts/build-deb $(DEB_BUILD)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
