# Landscape: `make run` to start the viewer, `make test` to run every test.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
JOBS        ?= 2
RUN_PACKAGES  := build-essential cmake pkg-config freeglut3-dev libglu1-mesa-dev libx11-dev \
                 libgdal-dev libimgui-dev
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev libbenchmark-dev python3 xvfb xdotool x11-utils \
                 x11-apps imagemagick clang libclang-rt-14-dev gdal-bin python3-gdal \
                 python3-numpy python-matplotlib-data

.PHONY: all run test unit bench deps test-deps asan clean

all: $(BUILD)/Makefile
	cmake --build $(BUILD) -j$(JOBS) --target landscape

$(BUILD)/Makefile:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

deps:
	@tools/installPackages.sh $(RUN_PACKAGES)

test-deps:
	@tools/installPackages.sh $(TEST_PACKAGES)

run: deps all
	./$(BUILD)/landscape

# Every test, once in the normal build and once under AddressSanitizer and UBSan.
test: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLANDSCAPE_TESTS=ON -DLANDSCAPE_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure
	$(MAKE) asan

asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANDSCAPE_TESTS=ON \
	      -DLANDSCAPE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

# Only the fast unit tests of the plain core.
unit: test-deps
	cmake -S . -B $(BUILD) -DLANDSCAPE_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS) --target unitTests consoleParserReplay
	ctest --test-dir $(BUILD) -L unit --output-on-failure

bench: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLANDSCAPE_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS)
	./$(BUILD)/bench/plannerBench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
