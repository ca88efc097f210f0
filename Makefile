# The two commands users need are `make run` and `make test`; both install what is missing first.
.PHONY: deps run test bench fuzz lint install clean reference-renders

WERROR := $(if $(filter true,$(CI)),-DLIRVETO_WERROR=ON,-DLIRVETO_WERROR=OFF)
FUZZ_SECONDS ?= 8
PREFIX ?= $(HOME)/.local

deps:
	@scripts/install-deps.sh

run: deps
	@grep -q "add_executable(lirveto" src/app/CMakeLists.txt 2>/dev/null || { echo "make run: the Lirveto program itself is not part of this build yet (only its libraries and tests are)." >&2; exit 1; }
	cmake --preset release $(WERROR)
	cmake --build --preset release --target lirveto
	./build/release/bin/lirveto

test: deps
	scripts/check-format.sh
	cmake --preset dev $(WERROR)
	cmake --build --preset dev
	ctest --preset dev -j2
	cmake --preset tsan $(WERROR)
	cmake --build --preset tsan --target thread_tests
	ctest --preset tsan
	@if command -v clang++ >/dev/null 2>&1; then scripts/run-fuzz.sh $(FUZZ_SECONDS); \
	 else echo "make test: clang++ not found, skipping the short fuzz run"; fi

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	scripts/run-bench.sh build/bench

fuzz: deps
	scripts/run-fuzz.sh 120

lint: deps
	scripts/lint.sh

# After an intended change of the sound: render the reference cases again and store them.
reference-renders: deps
	cmake --preset dev $(WERROR)
	cmake --build --preset dev --target lirveto-render
	scripts/reference-renders.sh --update build/dev/bin/lirveto-render

install: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build --preset release
	cmake --install build/release

clean:
	rm -rf build
