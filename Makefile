# The commands a newcomer needs. `make run` plays the game, `make test` proves it.
# Everything else here is for working on Nubrix itself.

BUILD      ?= build
WINDOWS    ?= build-windows
DEB        ?= build-deb
JOBS       ?= $(shell nproc)
FUZZ_TIME  ?= 600
PREFIX     ?= /usr/local
DESTDIR    ?=

.PHONY: all deps build run test windows test-stress bench memory idle-cpu idle-cpu-windows soak fuzz-wav fuzz-ogg fuzz-record fuzz-png \
        assets clean install uninstall deb check-deb

all: build

deps:
	@sh tools/deps.sh

build:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The game finds data/ and writes .varnokstate relative to its working folder.
# Only the game is built, and quietly: the build's output is kept in
# $(BUILD)/run-build.log and shown only when the build fails.
run: deps
	@mkdir -p $(BUILD)
	@[ -x $(BUILD)/nubrix ] || echo "Building the game (the first build takes a few minutes)..."
	@{ cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo && \
	   cmake --build $(BUILD) -j $(JOBS) --target nubrix; } >$(BUILD)/run-build.log 2>&1 || \
	 { cat $(BUILD)/run-build.log; echo "make run: the build failed; its output is above and in $(BUILD)/run-build.log"; exit 1; }
	@./$(BUILD)/nubrix

# Both systems: the Linux build's suites; the Windows build's suites under
# Wine (windows_suites); the end-to-end cases again on nubrix.exe.
test: deps build windows
	@cmake --build $(WINDOWS)/game -j $(JOBS)
	@cmake -S . -B $(BUILD) -DNUBRIX_WINDOWS_GAME=$(CURDIR)/$(WINDOWS)/game >/dev/null
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The game for 32-bit Windows, cross-built with mingw-w64 on the libraries
# tools/windows/build-deps.sh builds from Debian's sources (once): in
# $(WINDOWS)/game, nubrix.exe, the game folder as a zip, and its installer.
# The icon is drawn by the Linux build's assetgen. The same tree builds the
# test suites for Windows (`make test` builds and runs them).
windows: deps build
	@sh tools/deps.sh windows
	@sh tools/windows/build-deps.sh $(WINDOWS)/deps
	@cmake -S . -B $(WINDOWS)/game -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/windows/mingw32.cmake \
		-DNUBRIX_WINDOWS_DEPS=$(CURDIR)/$(WINDOWS)/deps \
		-DNUBRIX_HOST_ASSETGEN=$(CURDIR)/$(BUILD)/tools/assetgen/assetgen \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUBRIX_TESTS=ON >/dev/null
	@cmake --build $(WINDOWS)/game -j $(JOBS) --target nubrix nubrix_zip nubrix_setup

# Every collector step a full collection, under AddressSanitizer and
# UndefinedBehaviorSanitizer: a reference stored without the write barrier
# becomes a use after free at the next step.
test-stress: deps
	@cmake -S . -B build-stress -DCMAKE_BUILD_TYPE=Debug -DNUBRIX_GC_STRESS=ON >/dev/null
	@cmake --build build-stress -j $(JOBS)
	cd build-stress && ctest --output-on-failure -j $(JOBS)

# Benchmarks are measurements, not tests: they are kept out of `make test`.
bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNUBRIX_BENCHMARKS=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@sh bench/run.sh build-bench

# Resident memory of the game at its menu next to a bare GL + OpenAL window.
memory: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNUBRIX_BENCHMARKS=ON >/dev/null
	@cmake --build build-bench -j $(JOBS) --target nubrix reference_window
	@sh bench/memory.sh build-bench

# Eleven minutes of resizes and play on the real executable; memory must stay
# flat. Not part of `make test`.
soak: deps build
	@sh tools/deps.sh soak
	@sh tests/soak/soak.sh $(BUILD)

# CPU use of the game while nobody plays (menu, waiting games, pause panel,
# iconified) next to a bare GL window, in one run.
idle-cpu: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNUBRIX_BENCHMARKS=ON >/dev/null
	@cmake --build build-bench -j $(JOBS) --target nubrix reference_window nubrix-record
	@sh bench/idle-cpu.sh build-bench

# The same for the Windows build under Wine, next to the reference window
# built for Windows, in one run.
idle-cpu-windows: windows
	@cmake --build $(WINDOWS)/game -j $(JOBS) --target nubrix reference_window nubrix-record
	@sh bench/idle-cpu.sh --wine $(WINDOWS)/game

# libFuzzer targets, built with clang; each runs for FUZZ_TIME seconds. The
# Ogg target links libogg and libvorbis built from Debian's sources with the
# fuzzer's instrumentation (fuzz/build-vorbis.sh, once).
fuzz-wav fuzz-ogg fuzz-record fuzz-png: fuzz-%: deps
	@sh tools/deps.sh fuzz
	@$(if $(filter ogg,$*),sh fuzz/build-vorbis.sh build-fuzz/vorbis,true)
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUBRIX_FUZZ=ON \
		$(if $(filter ogg,$*),-DNUBRIX_FUZZ_VORBIS=$(CURDIR)/build-fuzz/vorbis) >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_$* >/dev/null
	@sh fuzz/run.sh build-fuzz $* $(FUZZ_TIME)

# Installs the game for everyone on this machine: the game and its data,
# a `nubrix` launcher that plays in ~/.local/share/nubrix, a menu entry and
# icon (packaging/). DESTDIR stages the tree elsewhere.
install: deps build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes exactly what the last `make install` from this build wrote (give
# it the same DESTDIR).
uninstall:
	@DESTDIR="$(DESTDIR)" cmake -DMANIFEST=$(BUILD)/install_manifest.txt -P packaging/uninstall.cmake

# The Debian packages nubrix and nubrix-data, in $(DEB)/: the same files,
# built apart with the hardening Debian's packages are built with
# (dpkg-buildflags: fortify, stack protector, relro and bind-now), and
# stripped as dh_strip strips (packaging/debian/strip).
# `make check-deb` also runs lintian on them, which must report no error
# and no warning.
deb: deps
	@sh tools/deps.sh deb
	@export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	 CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	 CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	 LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	 cmake -S . -B $(DEB) -DCMAKE_BUILD_TYPE=None -DNUBRIX_TESTS=OFF -DCMAKE_STRIP=$(CURDIR)/packaging/debian/strip >/dev/null
	@cmake --build $(DEB) -j $(JOBS)
	@cd $(DEB) && cpack -G DEB

check-deb: deb
	@sh packaging/check-deb.sh $(DEB)

# Regenerates the committed art, font, sounds and demo song under data/.
assets: build
	./$(BUILD)/tools/assetgen/assetgen data

clean:
	rm -rf $(BUILD) $(WINDOWS) $(DEB) build-stress build-bench build-fuzz
