# The two commands of the README: `make run` and `make test`. Both install what is missing,
# configure and build first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test gallery screenshots package clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts Tessarine; without a display, one unattended refresh and where its pictures are.
run: build
	scripts/run $(BUILD_DIR) $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

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
	rm -rf $(BUILD_DIR)
