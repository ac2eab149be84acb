# make demo: build the sample database and export it into demo-out/
# make test: CTest (the stand-in library) and pytest (the module)
PYTHON ?= python3
VENV := .venv
BIN := $(VENV)/bin
SOURCES := $(shell find notes libnotes module export view python -type f 2>/dev/null) \
           CMakeLists.txt pyproject.toml

.PHONY: setup test ctest pytest demo bench clean check fuzz-build fuzz-short fuzz-long

setup: $(VENV)/.installed

$(VENV)/.tools: scripts/system-packages Makefile
	./scripts/system-packages
	$(PYTHON) -m venv $(VENV)
	$(BIN)/pip install -q --upgrade pip
	$(BIN)/pip install -q "scikit-build-core>=0.8" ninja "cmake>=3.18" "pytest>=7" mypy ruff
	touch $@

$(VENV)/.installed: $(VENV)/.tools $(SOURCES)
	$(BIN)/pip install -q --no-build-isolation .
	touch $@

ctest: $(VENV)/.tools
	PATH=$(abspath $(BIN)):$$PATH cmake -S . -B build/tests -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DQUENDRILAX_TESTS=ON -DQUENDRILAX_MODULE=OFF >/dev/null
	PATH=$(abspath $(BIN)):$$PATH cmake --build build/tests
	PATH=$(abspath $(BIN)):$$PATH ctest --test-dir build/tests --output-on-failure -j2

pytest: setup
	NOTES_LEAK_CHECK=1 $(BIN)/python -m pytest tests -q

test: setup ctest pytest

demo: setup
	$(BIN)/python examples/make_sample.py build/sample
	$(BIN)/notesdb build build/sample/sample.json build/sample/sales.nsf
	$(BIN)/quendrilax-export build/sample/sales.nsf demo-out
	@echo "First document of demo-out/documents.jsonl:"
	@head -n 1 demo-out/documents.jsonl | $(BIN)/python -m json.tool
	@echo "View 'Orders by Amount' (first 5 note IDs):"
	@$(BIN)/quendrilax-export build/sample/sales.nsf --list-view "Orders by Amount" | head -n 5

# make bench: the benchmark databases (built once), the C++ floors, one table.
bench: setup
	PATH=$(abspath $(BIN)):$$PATH cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DQUENDRILAX_BENCH=ON -DQUENDRILAX_MODULE=OFF >/dev/null
	PATH=$(abspath $(BIN)):$$PATH cmake --build build/bench
	$(BIN)/python bench/make_data.py
	$(BIN)/python bench/run.py

clean:
	rm -rf build $(VENV) demo-out

# make check: the stand-in and the module built with AddressSanitizer and
# UndefinedBehaviorSanitizer, the GoogleTest and pytest suites run on them,
# then a short run of each fuzz target.
ASAN_BUILD := build/asan
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
check: setup
	PATH=$(abspath $(BIN)):$$PATH cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DQUENDRILAX_TESTS=ON -DQUENDRILAX_MODULE=ON -DPython_EXECUTABLE=$(abspath $(BIN)/python) \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_C_FLAGS="$(SANITIZE)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE)" >/dev/null
	PATH=$(abspath $(BIN)):$$PATH cmake --build $(ASAN_BUILD)
	UBSAN_OPTIONS=print_stacktrace=1 PATH=$(abspath $(BIN)):$$PATH \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2
	PYTHONPATH=$(abspath $(ASAN_BUILD)) PYTHONMALLOC=malloc \
	  LD_PRELOAD="$$(gcc -print-file-name=libasan.so) $$(gcc -print-file-name=libubsan.so)" \
	  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 NOTES_LEAK_CHECK=1 \
	  $(BIN)/python -m pytest tests -q -p no:cacheprovider
	$(MAKE) fuzz-short

# Fuzz targets: libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer.
FUZZ_BUILD := build/fuzz
FUZZ_TARGETS := formula_fuzz time_text_fuzz description_fuzz item_fuzz rich_text_fuzz attachment_fuzz
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined \
              -fno-omit-frame-pointer -g
# Targets that embed Python leave the interpreter's memory to the process's end.
FUZZ_ENV := ASAN_OPTIONS=detect_leaks=0
FUZZ_SECONDS ?= 30
FUZZ_RUNS ?= 10000000
fuzz-build: setup
	./scripts/fuzz-packages
	PATH=$(abspath $(BIN)):$$PATH cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DQUENDRILAX_FUZZ=ON \
	  -DQUENDRILAX_MODULE=OFF -DPython_EXECUTABLE=$(abspath $(BIN)/python) \
	  -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" -DCMAKE_C_FLAGS="$(FUZZ_FLAGS)" >/dev/null
	PATH=$(abspath $(BIN)):$$PATH cmake --build $(FUZZ_BUILD)

# A short run of every target from its seeds, and every regression input.
fuzz-short: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  regressions=""; [ -d fuzz/regressions/$$t ] && regressions=fuzz/regressions/$$t/*; \
	  [ -z "$$regressions" ] || $(FUZZ_ENV) $(FUZZ_BUILD)/fuzz/$$t $$regressions >/dev/null 2>&1 \
	    || { echo "$$t: a regression input fails again"; exit 1; }; \
	  echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_ENV) $(FUZZ_BUILD)/fuzz/$$t $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t \
	    -max_total_time=$(FUZZ_SECONDS) -close_fd_mask=3 -artifact_prefix=$(FUZZ_BUILD)/ \
	    -print_final_stats=1 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' ; \
	  [ -z "$$(ls $(FUZZ_BUILD) | grep -E '^(crash|leak|timeout|oom)-')" ] \
	    || { echo "$$t: found a failing input, kept in $(FUZZ_BUILD)/"; exit 1; }; \
	done

# The long run: FUZZ_RUNS executions of each target (set FUZZ_TARGETS to pick).
fuzz-long: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  echo "fuzzing $$t for $(FUZZ_RUNS) executions"; \
	  $(FUZZ_ENV) $(FUZZ_BUILD)/fuzz/$$t $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t \
	    -runs=$(FUZZ_RUNS) -close_fd_mask=3 -artifact_prefix=$(FUZZ_BUILD)/ \
	    -print_final_stats=1 2>&1 | grep -E 'stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done'; \
	done
