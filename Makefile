# make run   install what is missing, build, start the window
# make test  install what is missing, build, run every test (window tests start their own X server)
.PHONY: deps build run test bench demo sanitize format clean

BUILD_DIR := build

deps:
	tools/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	$(BUILD_DIR)/app/melvora

test: build
	ctest --preset default

bench: build
	tools/run-benchmarks $(BUILD_DIR)

demo: build
	tools/run-demo $(BUILD_DIR)

# ASan + UBSan over every test that needs no window.
sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# ThreadSanitizer over the threaded tests: search cancellation, shut-down during a search,
# downloads on their worker, the player.
.PHONY: tsan
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# libFuzzer targets over the parsers (clang, ASan + UBSan); FUZZ_SECONDS bounds each target's time.
.PHONY: fuzz
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	tools/run-fuzzers build-fuzz

# Installs the program, its menu entry and its icon under PREFIX (bin/, share/).
.PHONY: install
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-tsan build-fuzz
