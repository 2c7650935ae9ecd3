# make run      builds lpsens and solves examples/sample.lp
# make test     builds everything and runs every test
# Both first install the Debian packages they need (as root; otherwise they
# stop with the apt-get line to run).  WERROR=1 makes warnings errors.
# make install  builds lpsens (Release) and installs it and its manual page
#               under PREFIX (default /usr/local), below DESTDIR when given
BUILD ?= build
SAN_BUILD ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PREFIX ?= /usr/local
WERROR ?= 0
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLPSENS_WERROR=$(if $(filter 1,$(WERROR)),ON,OFF)

.PHONY: all build run test test-sanitize bench fuzz clean install

all: build

build:
	scripts/setup.sh
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

run:
	scripts/setup.sh
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target lpsens
	$(BUILD)/lpsens < examples/sample.lp

install:
	scripts/setup.sh
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target lpsens
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	scripts/setup.sh
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DLPSENS_SANITIZE=ON -DLPSENS_WERROR=$(if $(filter 1,$(WERROR)),ON,OFF)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# make fuzz [FUZZ_SECONDS=N]: every fuzz target for N seconds (clang, libFuzzer)
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	scripts/setup.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLPSENS_FUZZ=ON -DLPSENS_SANITIZE=ON -DLPSENS_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_run fuzz_mps fuzz_lp fuzz_parametric fuzz_command_line
	tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	TABLE=$(BUILD)/peers.md bench/peers.sh $(BUILD)/lpsens ../shared 3
	bench/netlib.sh $(BUILD)/lpsens_bench ../shared/netlib
	$(BUILD)/lpsens_bench
	PYTHONPATH=$(BUILD)/python /usr/bin/python3 bench/scenarios.py ../shared/netlib
	bench/exact.sh $(BUILD)/lpsens ../shared 3
	PYTHONPATH=$(BUILD)/python /usr/bin/python3 bench/extreme.py $(BUILD)/lpsens 3000 1

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
