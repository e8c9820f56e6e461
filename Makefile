# Drives CMake. `make run` builds and starts the program, `make test` builds and runs every test;
# both install the Debian packages they need first.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= 2
URL ?=

.PHONY: all deps configure build run test test-sanitize bench install clean

all: build

deps:
	@sh tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/app/pagrovix ]; then \
		exec $(BUILD_DIR)/app/pagrovix $(if $(URL),"$(URL)"); \
	else \
		echo "The program is not built yet: $(BUILD_DIR)/app/pagrovix does not exist." >&2; exit 1; \
	fi

test: build
	tools/with-xvfb.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

# The same tests built with AddressSanitizer and UBSan.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DPAGROVIX_SANITIZE=ON -DPAGROVIX_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_DIR) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
		tools/with-xvfb.sh ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j$(JOBS)

bench: build
	@sh bench/run-all.sh $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
