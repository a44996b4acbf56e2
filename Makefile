# Front door. `make test` and `make demo` work on a fresh Debian machine as root.
BUILD ?= build
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test demo bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 600

demo: build
	@scripts/demo.sh $(BUILD)

bench: build
	@for b in bench/*.sh; do [ -x "$$b" ] && "$$b" $(BUILD); done; true

clean:
	rm -rf $(BUILD)
