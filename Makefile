# The two commands a new machine needs: `make run` and `make test`.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 20
# Empty: every target. E.g. make fuzz FUZZ_SECONDS=600 FUZZ_TARGETS="xmile_reader model_loader"
FUZZ_TARGETS ?=
CMAKE_GEN  := -G Ninja

.PHONY: all bootstrap configure build run test sanitize bench bench-build fuzz fuzz-build fuzz-smoke fuzz-merge format format-check clean reference-renders screenshots package package-check

all: build

bootstrap:
	@bash scripts/bootstrap.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug

configure: bootstrap $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "Quorvane is a desktop program and needs a graphical session to show its window."; \
	  echo "Run it from a desktop session, or under a virtual display: xvfb-run make run"; \
	  exit 1; \
	fi
	./$(BUILD)/quorvane $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: bootstrap
	cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The Release build of the whole tree (benchmarks included); CI builds it so that
# warnings only the optimiser sees cannot rot. It is also the build that is packaged, so it
# installs into /usr.
bench-build: bootstrap
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON \
	  -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BENCH_BUILD) -j $(JOBS)

# The Debian package of the Release build: $(BENCH_BUILD)/quorvane_<version>_amd64.deb.
package: bench-build
	cd $(BENCH_BUILD) && cpack -G DEB

# Unpacks the package into a scratch folder and checks its files, validates its desktop,
# file-type and metadata files, and runs the unpacked quorvane-cli on an unpacked example.
package-check: package
	bash scripts/package-check.sh $(BENCH_BUILD)

bench: bench-build
	@for b in $(BENCH_BUILD)/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

$(FUZZ_BUILD)/build.ninja:
	CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON -DQV_HEADLESS=ON

fuzz-build: bootstrap $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Runs each fuzz target (FUZZ_TARGETS, or all) for FUZZ_SECONDS, one after another, starting
# from its corpus in fuzz/corpus/<target>, and prints the inputs each one ran
# ($(FUZZ_BUILD)/fuzz-summary.txt). A failing input is left as $(FUZZ_BUILD)/crash-<target>-*.
fuzz: fuzz-build
	@FUZZ_TARGETS="$(FUZZ_TARGETS)" bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The same, then what the runs found is merged into fuzz/corpus/<target>, minimised (review
# and commit the new files).
fuzz-merge: fuzz-build
	@FUZZ_TARGETS="$(FUZZ_TARGETS)" FUZZ_MERGE=1 bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@FUZZ_TARGETS="$(FUZZ_TARGETS)" bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

# After a deliberate change to the painting: rewrite the pictures the render test expects.
reference-renders: build
	@bash scripts/reference-renders.sh $(BUILD)/quorvane-cli

# Pictures of the main window after running each example, and of the error log, for the
# user guide (docs/images). Runs offscreen: no display needed. Look at them before committing.
screenshots: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/quorvane-screenshots examples docs/images

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

format-check: bootstrap
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
