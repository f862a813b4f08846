# make run  : install what is missing, build, start the demonstration
# make test : install what is missing, build, run every test
# make sanitize : the same under the undefined-behaviour sanitizer, in build-ubsan
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps configure build run test sanitize clean

all: build

deps:
	scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	JOBS=$(JOBS) scripts/sanitize.sh undefined

clean:
	rm -rf $(BUILD)
