# The two commands a newcomer needs: `make demo` and `make test`.
BUILD ?= build
JOBS ?= 2
FUZZ_SECONDS ?= 60
CRASH_TRIALS ?= 200

.PHONY: all deps build native test demo bench fuzz package crashtest clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

native: deps
	@cmake -S . -B $(BUILD)/native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS) -- --no-print-directory

test: build native
	@scripts/run-tests $(BUILD)

demo: build
	@scripts/run-demo $(BUILD)

bench: build
	@scripts/run-bench $(BUILD)

# SIGN="--pkcs12 FILE ..." signs the programs first (scripts/sign-medium options).
package: build native
	@scripts/package-sample $(BUILD) $(SIGN)

fuzz: native
	@scripts/run-fuzz $(BUILD)/native $(FUZZ_SECONDS)

# Kills at CRASH_TRIALS random moments (three quarters upgrades, a quarter uninstalls); SEED=S
# replays a campaign.
crashtest: build
	@scripts/wine-run $(BUILD)/crash_campaign.exe --upgrades=$$(( $(CRASH_TRIALS) * 3 / 4 )) \
	    --uninstalls=$$(( $(CRASH_TRIALS) / 4 )) $(if $(SEED),--seed=$(SEED))

clean:
	rm -rf $(BUILD)
