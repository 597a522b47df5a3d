# The two commands a newcomer needs: `make run` and `make test`. Both set the machine up first.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
ASAN_BUILD ?= build-asan
ASAN_OPTIONS_RUN ?= detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=0
UBSAN_OPTIONS_RUN ?= print_stacktrace=1:halt_on_error=1
# Which tests `make asan` runs (a ctest -R regex; empty: all of them), and which it leaves out (-E; empty: none).
ASAN_TESTS ?=
ASAN_EXCLUDE ?=
JOBS ?= $(shell nproc)
# What `make run` needs, and all it builds: the program, the simulator, the description document and the help
# folder (the tests and benchmarks are built by `make build` and `make test`).
RUN_TARGETS = orlantis vmusim description helpfiles

.PHONY: all bootstrap build test asan run fuzz bench clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

# Sources are found by globs; a Qt source added since the last build is not seen by automoc's own up-to-date check,
# so its stamp files are dropped first (moc itself still only reruns where a file changed).
build: bootstrap $(BUILD)/build.ninja
	@find $(BUILD) -path '*_autogen/timestamp' -delete 2>/dev/null || true
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The tests again, built with the address and undefined-behaviour sanitizers in a tree of their own (compiled
# through ccache, so a second run rebuilds only what changed). Any finding fails the test that met it.
asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DORLANTIS_SANITIZE=ON -DORLANTIS_BENCH=OFF \
	  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
	@find $(ASAN_BUILD) -path '*_autogen/timestamp' -delete 2>/dev/null || true
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=$(ASAN_OPTIONS_RUN) UBSAN_OPTIONS=$(UBSAN_OPTIONS_RUN) \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) $(if $(ASAN_TESTS),-R '$(ASAN_TESTS)') \
	  $(if $(ASAN_EXCLUDE),-E '$(ASAN_EXCLUDE)')

# The program starts in the folder make runs in, where its file dialogs start.
run: bootstrap $(BUILD)/build.ninja
	@find $(BUILD) -path '*_autogen/timestamp' -delete 2>/dev/null || true
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)
	@ORLANTIS_BUILD_DIR="$(abspath $(BUILD))" scripts/run

# libFuzzer targets, built with clang into their own tree; each runs FUZZ_SECONDS.
fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DORLANTIS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD)
