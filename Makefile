# The two commands a newcomer needs: `make run` and `make test`. Both set the machine up first.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= $(shell nproc)

.PHONY: all bootstrap build test run fuzz bench clean

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

run: build
	@scripts/run

# libFuzzer targets, built with clang into their own tree; each runs FUZZ_SECONDS.
fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DORLANTIS_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
