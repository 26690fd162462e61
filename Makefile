# Mavren: the two set-up commands and the everyday targets.
#   make demo       install what is missing, build, and generate the sample sites
#   make test       install what is missing, build, and run every test
#   make test-asan  the tests again under AddressSanitizer and UndefinedBehaviorSanitizer
#   make run        start Mavren from the build folder (make run PROGRAM=site.mav)
#   make install    install into PREFIX (default /usr/local): make install PREFIX=~/.local
#   make bench      build and run the benchmarks (corpora cached in ~/.cache/mavren-bench)
#   make fuzz       build the fuzz harnesses and run each for FUZZ_SECONDS (default 300)
#   make screenshots  render every dialog and property page into build/screenshots/*.png,
#                     and the sample site in every theme into build/screenshots/themes/
#   make format     format the code; make format-check only checks it
#   make deb        build the Debian package build/mavren_<version>_<arch>.deb and lintian it
#   make deb-test   install that package into a bare Debian 12 root and try it there
#   make build-check  the Release build with Clang that CI makes besides make test

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
# ON turns every compiler warning into an error; make test, make test-asan and CI set it.
WERROR     ?=
WERROR_ARG  = $(if $(WERROR),-DCMAKE_COMPILE_WARNING_AS_ERROR=$(WERROR))

FUZZ_SECONDS ?= 300

SOURCES = $(shell git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')

.PHONY: all deps test-deps build demo test test-asan bench fuzz run install screenshots format \
	format-check clean deb deb-test build-check

all: build

deps:
	@sh scripts/install-deps.sh

# The browser tests' chromium, Node.js and puppeteer-core.
test-deps: deps
	@sh scripts/install-test-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR_ARG) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

DEMO_PROGRAMS = $(BUILD)/demo
DEMO_SITE     = $(BUILD)/demo-site

# Programs for the four sample folders (photos, travel photos with what the camera recorded,
# text notes, HTML pages), made afresh with mavren-cli new, then generated into
# build/demo-site (all but the photos in subfolders), each with a site name. The photos wear
# the gallery theme; the notes and pages the light theme. A fifth program makes albums of a small tree of the same photos
# (build/demo/Albums: Photos, Photos/Moving pictures with the GIFs and the clip, Travel) in
# build/demo-site/albums.
demo: build
	@rm -rf $(DEMO_PROGRAMS) && mkdir -p $(DEMO_PROGRAMS) $(DEMO_SITE)/notes $(DEMO_SITE)/pages \
		$(DEMO_SITE)/travel
	@./$(BUILD)/mavren-cli new --source examples/photos --target $(DEMO_SITE) \
		--folder $(DEMO_PROGRAMS) --name photos --theme gallery --yes >/dev/null
	@./$(BUILD)/mavren-cli set $(DEMO_PROGRAMS)/photos.mav "Index-Page-Title=Sample photos" \
		"Site-Name=Sample photos" Content-Show-Link-Begin=Yes Content-Show-Link-End=Yes \
		Misc-Include-Mavren-Link=Yes >/dev/null
	@./$(BUILD)/mavren-cli new --source examples/travel --target $(DEMO_SITE)/travel \
		--folder $(DEMO_PROGRAMS) --name travel --theme gallery --yes >/dev/null
	@./$(BUILD)/mavren-cli set $(DEMO_PROGRAMS)/travel.mav "Index-Page-Title=A week by the fjords" \
		"Site-Name=A week by the fjords" Content-Image-Is-Link=Yes Content-Show-Labels=Yes \
		Content-Label-Type=2 "Content-Custom-Label=%C, %E" >/dev/null
	@./$(BUILD)/mavren-cli new --source examples/notes --type text --target $(DEMO_SITE)/notes \
		--folder $(DEMO_PROGRAMS) --name notes --theme light --yes >/dev/null
	@./$(BUILD)/mavren-cli set $(DEMO_PROGRAMS)/notes.mav "Index-Page-Title=Notes" Site-Name=Notes \
		Content-Guess-Paragraphs=Yes >/dev/null
	@./$(BUILD)/mavren-cli new --source examples/pages --type html --target $(DEMO_SITE)/pages \
		--folder $(DEMO_PROGRAMS) --name pages --theme light --yes >/dev/null
	@./$(BUILD)/mavren-cli set $(DEMO_PROGRAMS)/pages.mav "Index-Page-Title=Club pages" \
		"Site-Name=Club pages" HTML-Font-Face=Verdana >/dev/null
	@mkdir -p "$(DEMO_PROGRAMS)/Albums/Photos/Moving pictures" \
		$(DEMO_PROGRAMS)/Albums/Travel $(DEMO_SITE)/albums
	@cp examples/photos/*.jpg examples/photos/*.png $(DEMO_PROGRAMS)/Albums/Photos/
	@cp examples/photos/*.gif examples/photos/*.mp4 "$(DEMO_PROGRAMS)/Albums/Photos/Moving pictures/"
	@cp examples/travel/*.jpg $(DEMO_PROGRAMS)/Albums/Travel/
	@./$(BUILD)/mavren-cli new --source $(DEMO_PROGRAMS)/Albums --target $(DEMO_SITE)/albums \
		--folder $(DEMO_PROGRAMS) --name albums --theme light --albums --yes >/dev/null
	@for site in photos travel notes pages albums; do \
		./$(BUILD)/mavren-cli generate --quiet $(DEMO_PROGRAMS)/$$site.mav >$(DEMO_PROGRAMS)/$$site.start \
			|| exit 1; \
	done
	@echo "Sample sites generated; open them in your browser:"
	@for site in photos travel notes pages albums; do \
		echo "  file://$$(cat $(DEMO_PROGRAMS)/$$site.start)"; \
	done

test: WERROR = ON
# The tests include a short run of each fuzz harness (built with clang, fuzz/).
test: CMAKE_ARGS += -DMAVREN_FUZZ=ON
test: test-deps build format-check
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMAVREN_SANITIZE=ON \
		-DCMAKE_COMPILE_WARNING_AS_ERROR=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

BENCH_PACKAGES = libvips-tools libjpeg-turbo-progs graphicsmagick time rclone s3cmd python3-skimage

bench:
	@MAVREN_EXTRA_PACKAGES="$(BENCH_PACKAGES)" sh scripts/install-deps.sh
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAVREN_BUILD_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)
	sh bench/run-all.sh $(BUILD)

# The fuzz harnesses on their own, longer: make fuzz FUZZ_SECONDS=1800
fuzz: deps
	cmake -S fuzz -B $(BUILD)/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	sh fuzz/run.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

run: build
	./$(BUILD)/mavren $(PROGRAM)

# The programs and their files go to PREFIX/lib/mavren, with links in PREFIX/bin.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

screenshots: test-deps build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/mavren-dialogs --screenshots $(BUILD)/screenshots
	node tests/browser/theme_screenshots.mjs ./$(BUILD)/mavren-cli examples $(BUILD)/screenshots/themes

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES) && echo "clang-format: clean"

# What a packager builds (Release, so with assertions compiled out) as another compiler
# (Debian's clang) sees it, with warnings as errors. Built only, tests included, none run:
# make test runs them once with GCC. One build rather than two keeps CI short.
CLANG_BUILD ?= build-clang

build-check:
	@MAVREN_EXTRA_PACKAGES=clang sh scripts/install-deps.sh
	cmake -S . -B $(CLANG_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_COMPILE_WARNING_AS_ERROR=ON $(CMAKE_ARGS)
	cmake --build $(CLANG_BUILD) -j $(JOBS)

DEB_ARCH     = $(shell dpkg --print-architecture)
DEB_VERSION  = $(shell dpkg-parsechangelog -l debian/changelog -S Version)
DEB_FILE     = $(BUILD)/mavren_$(DEB_VERSION)_$(DEB_ARCH).deb
DEB_WORK     = $(BUILD)/deb-work
DEB_PACKAGES = debhelper dpkg-dev fakeroot lintian

# Built from a copy of the source tree, so that what dpkg-buildpackage writes stays out of
# it. The Build-Depends of debian/control are among what install-deps.sh installs.
deb:
	@MAVREN_EXTRA_PACKAGES="$(DEB_PACKAGES)" sh scripts/install-deps.sh
	rm -rf $(DEB_WORK) && mkdir -p $(DEB_WORK)/mavren
	git ls-files -z --cached --others --exclude-standard \
		| tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C $(DEB_WORK)/mavren
	cd $(DEB_WORK)/mavren && dpkg-buildpackage -b -us -uc -j$(JOBS)
	mv $(DEB_WORK)/$(notdir $(DEB_FILE)) $(DEB_FILE)
	rm -rf $(DEB_WORK)
	lintian --fail-on error --info $(DEB_FILE)
	@echo "Package: $(DEB_FILE)"

# Needs root (debootstrap, chroot) and Debian's package servers.
deb-test: deb
	@MAVREN_EXTRA_PACKAGES=debootstrap sh scripts/install-deps.sh
	sh scripts/test-deb-install.sh $(DEB_FILE)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(CLANG_BUILD)
