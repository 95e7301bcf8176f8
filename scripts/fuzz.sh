#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a
# short while (FUZZ_SECONDS, default 20). A crash fails the script and leaves
# the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
seconds=${FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSOLVI_FUZZ=ON -DSOLVI_TESTS=OFF -DSOLVI_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$(nproc)" --target $targets
for t in $targets; do
  echo "fuzz: $t for ${seconds}s"
  mkdir -p "build-fuzz/corpus/$t"
  if (cd build-fuzz && "fuzz/$t" -max_total_time="$seconds" "corpus/$t" >"$t.log" 2>&1); then
    tail -n 1 "build-fuzz/$t.log"
  else
    tail -n 40 "build-fuzz/$t.log"
    echo "fuzz: $t failed; the input that caused it is in build-fuzz/"
    exit 1
  fi
done
