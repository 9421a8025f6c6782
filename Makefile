# Kiru: the two set-up commands, plus a few conveniences.
#   make run   install what is missing, build, run the saver
#   make test  install what is missing, build, run every test
#   make windows       cross-build build-windows/Kiru.scr (MinGW-w64, i686) and its
#                      installer build-windows/Kiru-Setup.exe (NSIS)
#                      (only these two: the test programs are built by test-windows)
#   make test-windows  build the Windows test programs too and run the tests under
#                      Wine, then the Wine end-to-end scripts again with Wine
#                      reporting Windows XP
BUILD     ?= build
FUZZBUILD ?= build-fuzz
JOBS      ?= $(shell nproc)
FUZZ_SECONDS ?= 20
CMAKE_FLAGS ?=
WINBUILD  ?= build-windows
WINTRIPLET ?= i686-w64-mingw32

.PHONY: all deps build run test test-signals fuzz bench install package clean sanitize windows-deps windows test-windows

all: build

deps:
	@bash tools/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash tools/run-saver $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-signals
	$(MAKE) --no-print-directory fuzz

# The close signals' tests again, built with the thread sanitizer: a signal taken
# on a thread that should block it is a race only the sanitizer sees. Only those
# tests and the one program that holds them, to keep the time.
SIGNALBUILD ?= build-thread-signals
SIGNAL_TESTS = *Signal*:*HostedModesAreNeverEndedByInput
test-signals: deps
	@cmake -S . -B $(SIGNALBUILD) -DKIRU_SANITIZE=thread >/dev/null
	@cmake --build $(SIGNALBUILD) -j $(JOBS) --target test_shell
	$(SIGNALBUILD)/test_shell --gtest_filter='$(SIGNAL_TESTS)'

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZBUILD) -DKIRU_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZBUILD) -j $(JOBS) --target fuzz_all
	@bash tools/run-fuzzers $(FUZZBUILD) $(FUZZ_SECONDS)

bench: build
	@bash tools/run-benchmarks $(BUILD)

# Sanitizer builds: make sanitize SAN=address,undefined  (or SAN=thread)
SAN ?= address,undefined
comma := ,
SANBUILD = build-$(subst $(comma),-,$(SAN))
sanitize: deps
	cmake -S . -B $(SANBUILD) -DKIRU_SANITIZE=$(SAN)
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

# Windows: Kiru.scr cross-built with MinGW-w64; its tests run under Wine on a
# private prefix and display. Neither needs anything of the Linux build.
windows-deps:
	@bash tools/install-windows-deps $(WINTRIPLET)

$(WINBUILD)/CMakeCache.txt:
	cmake -S . -B $(WINBUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DKIRU_MINGW_TRIPLET=$(WINTRIPLET) -DCMAKE_BUILD_TYPE=Release

windows: windows-deps $(WINBUILD)/CMakeCache.txt
	cmake --build $(WINBUILD) -j $(JOBS) --target kiru kiru_setup

test-windows: windows
	cmake --build $(WINBUILD) -j $(JOBS)
	@bash tools/run-windows-tests $(WINBUILD)
	@KIRU_WINE_VERSION=winxp bash tools/run-windows-tests $(WINBUILD) -R '^wine[.]'


clean:
	rm -rf $(BUILD) $(FUZZBUILD) $(WINBUILD) build-address* build-thread* build-undefined*
