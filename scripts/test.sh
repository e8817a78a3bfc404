#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the full build (desktop tests under
# Xvfb when there is no display), then the core again under AddressSanitizer and UBSan, then
# clang-tidy over the core. Exits non-zero when any build, test or finding fails.
set -uo pipefail
cd "$(dirname "$0")/.."

failed=()

section() {
  echo
  echo "==== $* ===="
}

# Runs a command; a failure is remembered under the given name and the run goes on.
step() {
  local name=$1
  shift
  if ! "$@"; then
    echo "---- FAILED: $name"
    failed+=("$name")
    return 1
  fi
}

section "Installing dependencies"
bash scripts/install-deps.sh || { echo "dependency installation failed"; exit 1; }

# Tests must never read or write the real user's settings and database.
data_home=$(mktemp -d)
trap 'rm -rf "$data_home"' EXIT
export XDG_DATA_HOME=$data_home

# Tests run one at a time: some place a settings file beside the test programs, which every
# other test of that folder would see.
ctest_args=(--output-on-failure)

section "Building (build)"
if step "build" bash scripts/build.sh build -DTALLYBROOK_WERROR=ON; then
  if [ -z "${DISPLAY:-}" ]; then
    section "Core tests (build)"
    step "core tests" bash -c 'cd build && ctest -LE ui "$@"' _ "${ctest_args[@]}"
    section "Desktop tests under Xvfb (build)"
    step "desktop tests" bash -c \
      'cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest -L ui "$@"' _ "${ctest_args[@]}"
  else
    section "All tests (build)"
    step "tests" bash -c 'cd build && ctest "$@"' _ "${ctest_args[@]}"
  fi
fi

section "Building (build-asan: AddressSanitizer and UBSan, core only)"
if step "build-asan" bash scripts/build.sh build-asan \
  -DTALLYBROOK_SANITIZE=ON -DTALLYBROOK_BUILD_UI=OFF -DTALLYBROOK_WERROR=ON; then
  section "Core tests (build-asan)"
  step "sanitizer tests" bash -c 'cd build-asan && ctest "$@"' _ "${ctest_args[@]}"
fi

section "clang-tidy over the core (build-tidy)"
step "clang-tidy" bash scripts/tidy.sh build-tidy

section "Summary"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All builds and tests passed."
