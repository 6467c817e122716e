# Orvanta: `make demo` and `make test` set up everything they need on Debian/Ubuntu.
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = header_readers world_file project_file settings_ini format_number
JOBS ?= 2

.PHONY: all deps configure build test test-asan fuzz demo package package-check install clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS seconds, from its seed corpus; findings land in
# $(FUZZ_BUILD_DIR)/findings. Needs clang and its libFuzzer runtime, installed only here.
fuzz:
	@scripts/install-deps clang libclang-rt-14-dev
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_FUZZ=ON
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)
	@mkdir -p $(FUZZ_BUILD_DIR)/findings
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_BUILD_DIR)/corpus/$$t; \
		log=$(FUZZ_BUILD_DIR)/findings/$$t.log; \
		$(FUZZ_BUILD_DIR)/tests/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_BUILD_DIR)/findings/$$t- \
			$(FUZZ_BUILD_DIR)/corpus/$$t tests/fuzz/corpus/$$t >$$log 2>&1 || { tail -40 $$log; exit 1; }; \
		echo "$$t: $$(grep -o 'number_of_executed_units: *[0-9]*' $$log | grep -o '[0-9]*$$') executions"; \
	done

# The Debian package of the programs, their man pages, completion, desktop entry and manual.
# It builds only what the package holds (not the tests).
package: configure
	cmake --build $(BUILD_DIR) --target package_contents -j $(JOBS)
	cmake --build $(BUILD_DIR) --target package

# Builds the package and checks what it installs, unpacked into a scratch root.
package-check: package
	@scripts/package-check $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR)

demo: build
	@scripts/demo $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
