# Penvale: make run | make check | make bench | make install | make format
BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: deps build run check bench clean fuzz install format

deps:
	@scripts/deps.sh

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: deps build
	@scripts/run.sh $(BUILD_DIR)/app/penvale

check: deps build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	cmake --build $(BUILD_DIR) --target bench

clean:
	rm -rf $(BUILD_DIR)

# Installs under PREFIX; a package build stages it under DESTDIR.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# libFuzzer harnesses (clang, ASan, UBSan) in a build of their own, each run
# for FUZZ_SECONDS seconds.
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh

# Every .h and .cpp outside .git and the build folders (build*) in the style
# of .clang-format.
format:
	find . -type d \( -name .git -o -name 'build*' \) -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print \
	  | xargs clang-format -i
