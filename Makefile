# Thin driver over CMake.  `make` builds the programs into bin/, `make test`
# builds and runs every test, `make demo` extracts a core from the bundled
# example.  Missing tools (cmake, g++, GoogleTest) are installed first.
BUILD      ?= build
BUILD_SAN  ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PROGRAMS    = mac muc xml2txt

.PHONY: all deps build test test-sanitize demo bench fuzz soak clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)
	@mkdir -p bin
	@for p in $(PROGRAMS); do \
	  if [ -x $(BUILD)/bin/$$p ]; then cp -f $(BUILD)/bin/$$p bin/$$p; fi; \
	done
	@for s in scripts/bin/*; do [ -f "$$s" ] && cp -f "$$s" bin/ || true; done

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DCSP_SANITIZE=ON >/dev/null
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

demo: build
	@if [ -x bin/muc-extract ]; then scripts/demo.sh; \
	 else echo "demo: the core extractor is not yet available"; fi

# Solver speed and memory on generated and benchmark instances (bench/).
bench: deps
	bench/run.sh

# Each fuzz target for FUZZ_SECONDS seconds (fuzz/).
FUZZ_SECONDS ?= 60
fuzz: deps
	fuzz/run.sh $(FUZZ_SECONDS)

# Core extraction on many random instances, two runs at a time (tests/soak/).
soak: build
	tests/soak/run.sh

clean:
	rm -rf $(BUILD) $(BUILD_SAN) bin
