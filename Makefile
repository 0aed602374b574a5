# make test  - installs what is missing, builds the three configurations, runs every test
#              natively, under Wine, and natively again in Debug (asserts on) under the
#              address and undefined-behaviour sanitizers.
#              It also builds every libFuzzer target (build/fuzz, clang; built, not run:
#              tools/fuzz.sh runs them) so that a change that breaks one fails here.
# make test-sanitize - only the last of these.
# make fuzz  - only that build of the libFuzzer targets.
# make demo  - builds, makes a fresh demo installation and runs the updater on it (console),
#              then the Windows program with its progress dialog under Wine (screenshots).
JOBS ?= $(shell nproc)
LINUX := build/linux
WINDOWS := build/windows
SANITIZE := build/sanitize
FUZZ := build/fuzz
FUZZ_CXX ?= clang++-19
FUZZ_CC ?= clang-19

.PHONY: all bootstrap linux windows sanitize fuzz test test-linux test-sanitize test-windows demo clean

all: linux windows

bootstrap:
	@bash tools/bootstrap.sh

linux: bootstrap
	@cmake -S . -B $(LINUX) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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

windows: bootstrap
	@cmake -S . -B $(WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
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
	 exit $$status

demo: linux windows
	@bash tools/demo.sh

clean:
	rm -rf build
