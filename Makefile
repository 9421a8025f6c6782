# Kiru: the two set-up commands, plus a few conveniences.
#   make run   install what is missing, build, run the saver
#   make test  install what is missing, build, run every test
BUILD     ?= build
FUZZBUILD ?= build-fuzz
JOBS      ?= $(shell nproc)
FUZZ_SECONDS ?= 20
CMAKE_FLAGS ?=

.PHONY: all deps build run test fuzz bench install package clean sanitize

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
	$(MAKE) --no-print-directory fuzz

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

clean:
	rm -rf $(BUILD) $(FUZZBUILD) build-address* build-thread* build-undefined*
