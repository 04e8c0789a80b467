# Thin front over the CMake presets. Each target first installs the missing packages
# that it needs (scripts/deps.sh GROUP; DISPC_SKIP_DEPS=1 skips that).
FUZZ_SECONDS ?= 60
OUT ?= out
DEPS = bash scripts/deps.sh

.PHONY: deps demo test asan fuzz bench coverage release clean

deps:
	@$(DEPS) all

release:
	@$(DEPS) build
	cmake --preset release
	cmake --build --preset release

demo: release
	./build/release/tools/dispc/dispc demo -o $(OUT)

test:
	@$(DEPS) test
	cmake --preset debug
	cmake --build --preset debug
	ctest --preset debug

asan:
	@$(DEPS) test
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

fuzz:
	@$(DEPS) fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz
	bash scripts/run-fuzz.sh build/fuzz/fuzz $(FUZZ_SECONDS)

bench:
	@$(DEPS) bench
	cmake --preset bench
	cmake --build --preset bench
	bash scripts/run-bench.sh build/bench/bench

coverage:
	@$(DEPS) coverage
	cmake --preset coverage
	cmake --build --preset coverage
	bash scripts/run-coverage.sh build/coverage

clean:
	rm -rf build $(OUT)
