# Thin front over the CMake presets. Every target first installs missing packages.
FUZZ_SECONDS ?= 60
OUT ?= out

.PHONY: deps demo test asan fuzz bench release clean

deps:
	@bash scripts/deps.sh

release: deps
	cmake --preset release
	cmake --build --preset release

demo: release
	./build/release/tools/dispc/dispc demo -o $(OUT)

test: deps
	cmake --preset debug
	cmake --build --preset debug
	ctest --preset debug

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	bash scripts/run-fuzz.sh build/fuzz/fuzz $(FUZZ_SECONDS)

bench: deps
	cmake --preset release -DDISPC_BUILD_BENCH=ON
	cmake --build --preset release
	bash scripts/run-bench.sh build/release/bench

clean:
	rm -rf build $(OUT)
