# The two commands of the README: `make run` and `make test`. Both install what is missing,
# configure and build first.
BUILD_DIR ?= build
SANITIZE_BUILD_DIR ?= build-asan
JOBS ?= $(shell nproc)

# CI services set CI; there the build treats warnings as errors and `make test` also runs the
# sanitizer build. Either can be asked for by hand: `make test WERROR=ON SANITIZE=1`.
ifneq ($(filter-out 0 false no,$(CI)),)
WERROR ?= ON
SANITIZE ?= 1
endif
WERROR ?= OFF
SANITIZE ?=

# Objects are cached by paths relative to the source tree, so another clone of it (as CI makes)
# and the build folders of one clone reuse each other's.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

.PHONY: all deps configure build run test test-sanitize test-debian13 lint gallery screenshots package clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DTESSARINE_WARNINGS_AS_ERRORS=$(WERROR)

# A build folder configured before is switched to this run's WERROR when it differs.
configure: deps $(BUILD_DIR)/build.ninja
	@grep -q '^TESSARINE_WARNINGS_AS_ERRORS:BOOL=$(WERROR)$$' $(BUILD_DIR)/CMakeCache.txt || \
		cmake -S . -B $(BUILD_DIR) -DTESSARINE_WARNINGS_AS_ERRORS=$(WERROR)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts Tessarine; without a display, one unattended refresh and where its pictures are.
run: build
	scripts/run $(BUILD_DIR) $(ARGS)

# Every test runs once; only the suites of tests/late-suites, which wait for something known to
# come late on a busy machine, run once more when they fail, and the log names them
# (scripts/run-tests).
# The real Codex CLI and Claude Code, pinned, for the tests that check Tessarine against them
# (scripts/install-test-tools); their folder reaches the tests as TESSARINE_TEST_TOOLS.
WITH_TEST_TOOLS = TESSARINE_TEST_TOOLS="$$(scripts/install-test-tools)" && export TESSARINE_TEST_TOOLS &&

test: build
	$(WITH_TEST_TOOLS) scripts/run-tests $(BUILD_DIR) --output-on-failure -j $(JOBS) --timeout 300
ifneq ($(SANITIZE),)
	$(MAKE) test-sanitize
endif

# The tests below the windows that do not start the web engine, built with AddressSanitizer
# and UndefinedBehaviorSanitizer in $(SANITIZE_BUILD_DIR); the first finding fails the test.
# Leaks are not reported: the libraries below Qt keep caches until exit.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD_DIR) -G Ninja -DTESSARINE_SANITIZE=ON -DTESSARINE_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS)
	$(WITH_TEST_TOOLS) cd $(SANITIZE_BUILD_DIR) && \
		ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600

# The two commands on Debian 13 (Qt 6.8) as well: `make test` with warnings as errors and the
# package installed and run, in a Debian 13 root kept outside the tree (scripts/test-debian13).
test-debian13:
	scripts/test-debian13

# clang-tidy and clazy on every file of src/; `make test` checks only the changed ones
# (TestLintCpp). Needs the compile commands of a configured build folder, not a build.
lint: configure
	scripts/lint-cpp --all $(BUILD_DIR)

# Every widget in every look, from fixture documents, into $(BUILD_DIR)/gallery/.
gallery: build
	scripts/gallery $(BUILD_DIR)

# The windows of the program drawn without a display, into $(BUILD_DIR)/screenshots/.
screenshots: build
	scripts/screenshots $(BUILD_DIR)

# A Debian package of the program, in $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_BUILD_DIR)
