# Tarvelion: the two everyday commands are `make run` and `make test`.

SHELL := /bin/bash

# The 68000 single-instruction suite, beside the checkout unless given.
SUITE ?= ../shared/m68k-tests
ONLY ?=
JOBS ?= $(shell nproc)

RELEASE := build/release
ASAN := build/asan
FUZZ := build/fuzz
FUZZ_SECONDS ?= 30

.PHONY: all deps release asan fuzz test test-release test-asan test-fuzz conformance bench run clean

all: release

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz --target m68k-fuzz -j $(JOBS)

# Every test: the release build's tests and the conformance run, then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the core's fuzz
# target (clang) for a bounded time.
test: test-release test-asan test-fuzz

test-release: release
	@ctest --preset release -j $(JOBS)
	@$(MAKE) --no-print-directory conformance-if-present BUILD=$(RELEASE)

test-asan: asan
	@ctest --preset asan -j $(JOBS)
	@$(MAKE) --no-print-directory conformance-if-present BUILD=$(ASAN)

# The corpus grows in the build folder from run to run; a fresh clone starts empty.
test-fuzz: fuzz
	@mkdir -p $(FUZZ)/corpus
	@$(FUZZ)/tests/fuzz/m68k-fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=512 -timeout=10 -artifact_prefix=$(FUZZ)/ \
	  -print_final_stats=1 $(FUZZ)/corpus > $(FUZZ)/fuzz.log 2>&1 \
	  || { tail -n 60 $(FUZZ)/fuzz.log; echo "fuzz: the core failed, see $(FUZZ)/fuzz.log"; exit 1; }
	@echo "fuzz: $$(grep -E '^Done' $(FUZZ)/fuzz.log), corpus of $$(ls $(FUZZ)/corpus | wc -l) inputs"

BUILD ?= $(RELEASE)

.PHONY: conformance-if-present
conformance-if-present:
	@if [ -d "$(SUITE)" ]; then \
	  $(BUILD)/tests/conformance/m68k-conformance --unbuilt tests/conformance/unbuilt.txt $(SUITE) $(ONLY) \
	    > $(BUILD)/conformance.log; status=$$?; \
	  grep -E '^(  FAIL|rules:|conformance:)' $(BUILD)/conformance.log; \
	  exit $$status; \
	else \
	  echo "conformance: suite folder $(SUITE) not found, skipped"; \
	fi

conformance: release
	@$(RELEASE)/tests/conformance/m68k-conformance --unbuilt tests/conformance/unbuilt.txt $(SUITE) $(ONLY)

# The emulator reads the firmware image "kq.bin" from its current directory and keeps its
# patch memory beside itself. It runs on ROM=path if given, else on a kq.bin here, else on
# the board test firmware; that one writes its own marks into the patch memory, so it runs
# from a copy of the program in a folder of its own, never on the user's patch memory.
ROM ?=
run: release
	@scripts/run-emulator $(RELEASE) "$(ROM)"

bench: release
	@$(RELEASE)/bench/kqbench --benchmark_counters_tabular=true

# Removes the builds but keeps the patch memory beside each build's program
# (build/*/ui/Tarvelion.nvr and Factory.nvr) and the folders that hold it.
clean:
	@if [ -d build ]; then \
	  find build -mindepth 1 ! -type d -regextype posix-extended \
	    ! -regex 'build/[^/]+/ui/(Tarvelion|Factory)\.nvr' -delete; \
	  find build -depth -type d -empty -delete; \
	fi
