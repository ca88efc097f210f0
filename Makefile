# The two commands users need are `make run` and `make test`; both install what is missing first.
.PHONY: deps run test bench fuzz soak mutants lint install package package-test clean reference-renders

WERROR := $(if $(filter true,$(CI)),-DLIRVETO_WERROR=ON,-DLIRVETO_WERROR=OFF)
FUZZ_SECONDS ?= 8
FUZZ_RUNS ?= 1000000
FUZZ_CAP_SECONDS ?= 0
PREFIX ?= $(HOME)/.local
SOAK_SECONDS ?= 3600

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
	@if command -v clang++ >/dev/null 2>&1; then scripts/run-fuzz.sh 0 $(FUZZ_SECONDS); \
	 else echo "make test: clang++ not found, skipping the short fuzz run"; fi

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	scripts/run-bench.sh build/bench

# At least FUZZ_RUNS executions of every parser; FUZZ_CAP_SECONDS bounds a target that is slow.
fuzz: deps
	scripts/run-fuzz.sh $(FUZZ_RUNS) $(FUZZ_CAP_SECONDS)

# Single-line faults from scripts/mutants/, one at a time: which do the tests catch? (slow)
mutants: deps
	scripts/mutants.py $(if $(AREA),--area $(AREA)) $(if $(ONLY),--only $(ONLY)) $(if $(EQUIVALENT),--equivalent)

lint: deps
	scripts/lint.sh

# After an intended change of the sound: render the reference cases again and store them.
reference-renders: deps
	cmake --preset dev $(WERROR)
	cmake --build --preset dev --target lirveto-render
	scripts/reference-renders.sh --update build/dev/bin/lirveto-render

# Installs under PREFIX (default ~/.local; `sudo make install PREFIX=/usr/local` for everyone).
install: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build --preset release
	cmake --install build/release

# A Debian package of the Release build, installing under /usr, in build/release/package.
package: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build --preset release
	cd build/release && cpack
	@ls -1 build/release/package/*.deb

# The package unpacked into a scratch root and run from there (make test skips this without it).
package-test: package
	tests/unit/install/package_runs.sh build/release/package

# SOAK_SECONDS (default an hour) of playing, recording, switching pages and settings under
# AddressSanitizer with leak checks; not part of make test.
soak: deps
	cmake --preset dev $(WERROR)
	cmake --build --preset dev --target lirveto
	SOAK_SECONDS=$(SOAK_SECONDS) tests/soak/soak.sh build/dev/bin/lirveto build/dev/soak

clean:
	rm -rf build
