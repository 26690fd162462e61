# Mavren: the two set-up commands and the everyday targets.
#   make demo       install what is missing, build, and make the sample site
#   make test       install what is missing, build, and run every test
#   make test-asan  the tests again under AddressSanitizer and UndefinedBehaviorSanitizer
#   make run        start Mavren from the build folder
#   make bench      build and run the benchmarks (corpora cached in ~/.cache/mavren-bench)
#   make screenshots  render every dialog and property page into build/screenshots/*.png
#   make format     format the code; make format-check only checks it

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

SOURCES = $(shell git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')

.PHONY: all deps build demo test test-asan bench run screenshots format format-check clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	./$(BUILD)/mavren-cli show examples/photos.mav

test: build format-check
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMAVREN_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

BENCH_PACKAGES = libvips-tools libjpeg-turbo-progs graphicsmagick

bench:
	@MAVREN_EXTRA_PACKAGES="$(BENCH_PACKAGES)" sh scripts/install-deps.sh
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAVREN_BUILD_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)
	sh bench/run-all.sh $(BUILD)

run: build
	@if [ -x $(BUILD)/mavren ]; then ./$(BUILD)/mavren $(PROGRAM); \
	else echo "The desktop program is not part of this build yet; try ./$(BUILD)/mavren-cli --help"; fi

screenshots: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/mavren-dialogs --screenshots $(BUILD)/screenshots

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES) && echo "clang-format: clean"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
