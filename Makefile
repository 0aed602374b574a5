# make test  - installs what is missing, builds the three configurations, runs every test
#              natively, under Wine, and natively again in Debug (asserts on) under the
#              address and undefined-behaviour sanitizers.
#              It also builds every libFuzzer target (build/fuzz, clang; built, not run:
#              tools/fuzz.sh runs them) so that a change that breaks one fails here.
# make test-sanitize - only the last of these.
#              Last, the tests of what runs on a second thread (a refill's index keys,
#              the read-back check), and whole runs, under the thread sanitizer (build/tsan).
# make fuzz  - only that build of the libFuzzer targets.
# make tsan  - only that thread-sanitizer build and its tests.
# make demo  - builds only the programs the demo runs (the updater of each build and the
#              demo installation builder), migrates a fresh demo installation in console
#              mode, then runs the Windows program with its progress dialog under Wine
#              (screenshots and a contact sheet).
JOBS ?= $(shell nproc)
LINUX := build/linux
WINDOWS := build/windows
SANITIZE := build/sanitize
FUZZ := build/fuzz
TSAN := build/tsan
# What the thread-sanitizer run covers: the tests of the key worker and of
# the read-back check on a second thread, and whole runs that use both.
TSAN_TESTS = $(TSAN)/bin/engine_tests --gtest_filter='IndexBulk*' && \
	$(TSAN)/bin/updater_tests --gtest_filter='DemoRunTest.*:ResumeTest.*:RecordScenarioTest.*:RefillCheckTest.*'
FUZZ_CXX ?= clang++-19
FUZZ_CC ?= clang-19

.PHONY: all bootstrap linux windows sanitize fuzz tsan test test-linux test-sanitize test-windows demo clean

all: linux windows

bootstrap:
	@bash tools/bootstrap.sh

CONFIGURE_LINUX = cmake -S . -B $(LINUX) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
CONFIGURE_WINDOWS = cmake -S . -B $(WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
# What the demo runs; nothing of the tests.
DEMO_TARGETS = updater_exe demo_install

linux: bootstrap
	@$(CONFIGURE_LINUX)
	@cmake --build $(LINUX) -j $(JOBS)

# Debug (asserts on) with address and undefined-behaviour sanitizers.
sanitize: bootstrap
	@cmake -S . -B $(SANITIZE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j $(JOBS)

# The libFuzzer targets and only the libraries they link (os, runtime, engine).
fuzz: bootstrap
	@cmake -S . -B $(FUZZ) -G Ninja -DFUZZ=ON -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	    -DCMAKE_C_COMPILER=$(FUZZ_CC) >/dev/null
	@cmake --build $(FUZZ) --target fuzzers -j $(JOBS)

# The thread sanitizer, only for the tests that run a second thread.
tsan: bootstrap
	@cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTSAN=ON >/dev/null
	@cmake --build $(TSAN) -j $(JOBS) --target engine_tests updater_tests
	@echo "== thread sanitizer: the key worker and whole runs =="
	@$(TSAN_TESTS)

windows: bootstrap
	@$(CONFIGURE_WINDOWS)
	@cmake --build $(WINDOWS) -j $(JOBS)
	@bash tools/wine-prefix.sh

test-linux: linux
	@echo "== native tests =="
	@cd $(LINUX) && ctest --output-on-failure -j $(JOBS)

test-sanitize: sanitize
	@echo "== native tests, Debug with sanitizers =="
	@cd $(SANITIZE) && ctest --output-on-failure -j $(JOBS)

test-windows: windows
	@echo "== Windows tests under Wine =="
	@cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)

test: bootstrap
	@$(MAKE) --no-print-directory linux windows
	@status=0; \
	 echo "== native tests =="; (cd $(LINUX) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	 echo "== Windows tests under Wine =="; (cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	 $(MAKE) --no-print-directory sanitize || status=1; \
	 echo "== native tests, Debug with sanitizers =="; (cd $(SANITIZE) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	 echo "== libFuzzer targets build =="; $(MAKE) --no-print-directory fuzz || status=1; \
	 $(MAKE) --no-print-directory tsan || status=1; \
	 exit $$status

# The console part runs as soon as its two Linux programs are built; the
# Windows program is built after it. The builds are the ones `make test`
# continues.
demo: bootstrap
	@$(CONFIGURE_LINUX)
	@cmake --build $(LINUX) -j $(JOBS) --target $(DEMO_TARGETS)
	@bash tools/demo.sh console
	@$(CONFIGURE_WINDOWS)
	@cmake --build $(WINDOWS) -j $(JOBS) --target updater_exe
	@bash tools/demo.sh window

clean:
	rm -rf build
