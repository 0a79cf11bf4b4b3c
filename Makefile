# The two front-door commands are `make run` and `make test` (see README.md);
# on a machine without make, ./tools/install-deps.sh installs it first.

BUILD      ?= build
SAN_BUILD  ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
TEST_ENV = QT_QPA_PLATFORM=offscreen \
           ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:abort_on_error=1 \
           UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps build run test test-release test-sanitize bench fuzz format clean

all: build

deps:
	@./tools/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/masume

test: test-release test-sanitize

test-release: build
	cd $(BUILD) && env $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

$(SAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMASUME_SANITIZE=ON \
	    -DCMAKE_CXX_FLAGS="-O1 $(SANITIZE_FLAGS)" -DCMAKE_C_FLAGS="-O1 $(SANITIZE_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" $(CMAKE_ARGS)

test-sanitize: deps $(SAN_BUILD)/CMakeCache.txt
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && env $(TEST_ENV) MASUME_SANITIZED=1 ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/bin/masume-bench

# masume-batch against libjpeg-turbo's tools and the image tools Debian
# packages, as whole processes (bench/compare.sh). Installs those tools;
# never part of make test.
.PHONY: compare
compare: build
	./bench/compare.sh $(BUILD)

FUZZ_SECONDS ?= 60
fuzz:
	@MASUME_WITH_FUZZ=1 ./tools/install-deps.sh
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMASUME_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets
	./fuzz/run-all.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)

# Installing and packaging; the rules are in dist/. `make install` puts the
# programs and their desktop files under the configured prefix (/usr/local
# unless CMAKE_ARGS set CMAKE_INSTALL_PREFIX; PREFIX=... overrides it) and
# honours DESTDIR; it keeps the list of what it wrote in
# $(BUILD)/installed-files.txt (CMake's own install_manifest.txt is also
# rewritten by `make package` and the install test), from which
# `make uninstall` removes them. `make package` builds
# $(BUILD)/masume_<version>_<arch>.deb and checks it (dist/check-package.sh).
PREFIX ?=
.PHONY: install uninstall package

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")
	sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt > $(BUILD)/installed-files.txt

uninstall:
	@test -f $(BUILD)/installed-files.txt || { echo "no make install recorded in $(BUILD)"; exit 1; }
	tr '\n' '\0' < $(BUILD)/installed-files.txt | xargs -0 rm -fv --
	rm $(BUILD)/installed-files.txt

package: build
	@MASUME_WITH_PACKAGE=1 ./tools/install-deps.sh
	cd $(BUILD) && cpack -G DEB
	./dist/check-package.sh $(BUILD)/masume_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD)/CMakeCache.txt)_$$(dpkg --print-architecture).deb
