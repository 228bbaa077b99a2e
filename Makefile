# Orvanta Light: two commands, `make run` and `make test` (see README.md).
# Both install the Debian packages they need when they are missing.

SHELL := /bin/bash
NPROC := $(shell nproc 2>/dev/null || echo 2)
DATA_DIR := $(or $(XDG_DATA_HOME),$(HOME)/.local/share)/orvanta-light

BUILD_PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools \
    libqt6sql6-sqlite qt6-serialport-dev libsqlite3-dev libgl-dev
TEST_PACKAGES := xvfb xauth poppler-utils fonts-liberation

RELEASE_DIR := build/release
TEST_DIR := build/test

.PHONY: run test deps test-deps configure-release release configure-test build-test bench format clean

define install_missing
	@missing=""; for p in $(1); do \
	    dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi; \
	    $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(BUILD_PACKAGES))

test-deps: deps
	$(call install_missing,$(TEST_PACKAGES))

configure-release: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DORVANTA_TESTS=OFF

release: configure-release
	cmake --build $(RELEASE_DIR) -j$(NPROC)

run: release
	@mkdir -p "$(DATA_DIR)"
	@if [ ! -e "$(DATA_DIR)/Tesmora.sdb" ]; then \
	    $(RELEASE_DIR)/bin/tesmora-newdb "$(DATA_DIR)/Tesmora.sdb" --demo; \
	fi
	@if [ -x $(RELEASE_DIR)/bin/Tesmora ]; then \
	    cd "$(DATA_DIR)" && exec "$(CURDIR)/$(RELEASE_DIR)/bin/Tesmora"; \
	else \
	    echo "Demo database ready in $(DATA_DIR)/Tesmora.sdb"; \
	fi

configure-test: test-deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON -DORVANTA_WERROR=ON

build-test: configure-test
	cmake --build $(TEST_DIR) -j$(NPROC)

test: build-test
	cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(NPROC)

bench: release
	$(RELEASE_DIR)/bin/tesmora-bench

format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf build
