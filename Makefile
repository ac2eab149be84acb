# make demo: build the sample database and export it into demo-out/
# make test: CTest (the stand-in library) and pytest (the module)
PYTHON ?= python3
VENV := .venv
BIN := $(VENV)/bin
SOURCES := $(shell find notes libnotes module export view python -type f 2>/dev/null) \
           CMakeLists.txt pyproject.toml

.PHONY: setup test ctest pytest demo bench clean

setup: $(VENV)/.installed

$(VENV)/.tools: scripts/system-packages
	./scripts/system-packages
	$(PYTHON) -m venv $(VENV)
	$(BIN)/pip install -q --upgrade pip
	$(BIN)/pip install -q "scikit-build-core>=0.8" ninja "cmake>=3.18" "pytest>=7"
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
	$(BIN)/notesdb build examples/sample.json build/sample.db
	$(BIN)/notesdb dump build/sample.db

clean:
	rm -rf build $(VENV) demo-out
