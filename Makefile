# Entry points for people and CI. Every target installs what it needs first.
JOBS ?= $(shell nproc)

.PHONY: deps test fuzz-smoke tsan package bench demo format format-check lint

deps:
	scripts/setup-deps

# The sanitizer builds keep only line tables (enough for their reports) and compile the product
# code in unity batches: on two cores the asan build is most of this target's time.
test: deps format-check
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	cmake --build --preset asan --target all_qmllint
	ctest --preset asan -j $(JOBS)
	$(MAKE) fuzz-smoke tsan package

# Every fuzz target for 20 seconds, two at a time, on top of replaying its seed corpus.
fuzz-smoke: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz
	FUZZ_JOBS=2 scripts/fuzz 20

# The backend, its store and the SQLite wrapper under the thread sanitizer; Qt stays out.
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# build/package/quorvane-backend_*.deb and quorvane_*.deb, then their checks: lintian, the
# desktop entries, QML's run-time packages, the unpacked programs, the maintainer scripts and
# the service unit. The preset compiles each library as a few unity units at -O2 to keep the
# stage short in CI.
package: deps
	cmake --preset package
	cmake --build --preset package -j $(JOBS) --target package
	ctest --preset package -j $(JOBS)

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	scripts/run-benchmarks build/release

# clang-tidy over every tracked source: the fuzz targets with the fuzz preset's compile
# commands, the rest with the lint preset's (asan's, one file at a time, since a unity batch
# hides its sources). It needs configured builds, not built ones.
# Not part of `test`: a full run (203 sources) took 21 minutes on two cores, 39 minutes of CPU,
# which would take CI past its 28 minutes.
lint: deps
	cmake --preset lint
	cmake --preset fuzz
	JOBS=$(JOBS) scripts/lint build/lint

demo: deps
	scripts/demo

format:
	git ls-files --cached --others --exclude-standard '*.h' '*.cpp' | xargs clang-format -i

format-check:
	git ls-files --cached --others --exclude-standard '*.h' '*.cpp' | xargs clang-format --dry-run --Werror
