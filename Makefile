# make demo: build the sample database and export it into demo-out/
# make test: CTest (the stand-in library) and pytest (the module)
PYTHON ?= python3
VENV := .venv
BIN := $(VENV)/bin
SOURCES := $(shell find notes libnotes module export view python -type f 2>/dev/null) \
           CMakeLists.txt pyproject.toml

.PHONY: setup test ctest pytest demo bench clean

setup: $(VENV)/.installed

$(VENV)/.tools: scripts/system-packages Makefile
	./scripts/system-packages
	$(PYTHON) -m venv $(VENV)
	$(BIN)/pip install -q --upgrade pip
	$(BIN)/pip install -q "scikit-build-core>=0.8" ninja "cmake>=3.18" "pytest>=7" mypy
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

clean:
	rm -rf build $(VENV) demo-out
