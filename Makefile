# The two entry points of the README. Both install what they need and build.
BUILD ?= build
BUILD_ASAN ?= build-asan
JOBS ?= $(shell nproc)
# The slow unwinder on every allocation: the engine has no frame pointers, and the fast one stops at its first frame,
# so a leak of ours reached from a script would show no caller and the engine's own leaks could not be told apart.
# Deep enough stacks for the engine's compiler to reach its entry point through a library's nested functions.
export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0:fast_unwind_on_malloc=0:malloc_context_size=80
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

.PHONY: demo test setup build build-asan unit-test asan-test memcheck clean

setup:
	@bash scripts/setup

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(BUILD_ASAN)/build.ninja:
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKXW_SANITIZE=ON -DKXW_BUILD_BENCH=OFF

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: setup $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)

# The example site over HTTP from a server on 127.0.0.1 that the demo starts and stops, with 10 virtual users.
demo: build
	bash scripts/demo $(BUILD)/bin/kxwplay 10 3

unit-test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan-test: build-asan
	ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS)

# Every test, then the same tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
test: unit-test asan-test

# Every end-to-end run under valgrind's memcheck, which sees into the script engine where the sanitizers cannot
# (about ten minutes on two cores; make test runs five of them).
memcheck: build
	KXW_E2E_MEMCHECK=1 ctest --test-dir $(BUILD) -L e2e --output-on-failure -j $(JOBS) --timeout 600

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
