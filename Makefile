# make run  : installs what is missing, builds, starts Bastide (ARGS='/Bureau /Auto' passes arguments)
# make test : installs what is missing, builds, runs every test under Wine
# make fuzz : fuzzes the control's stream reader natively for FUZZ_SECONDS (default 600)
BUILD_DIR := build
ARGS ?=

.PHONY: run test build deps fuzz
run: build
	scripts/run.sh $(ARGS)

test: build
	scripts/test.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j2

deps:
	scripts/deps.sh

fuzz:
	scripts/fuzz.sh
