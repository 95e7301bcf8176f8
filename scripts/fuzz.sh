#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# FUZZ_SECONDS (default 20; CI runs 15, a long run 300 or more); FUZZ_JOBS
# sets the build's parallelism (default: every core). Every target
# starts from a seed corpus of the bundled data files of its kind and of files
# the tools make (model caches, a replay, curves written by a short drive, a
# raw lightmap), with -max_len at least its largest seed, so the fuzzer works
# from real files rather than from nothing. A crash fails the script and
# leaves the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
seconds=${FUZZ_SECONDS:-20}
root=$PWD
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSOLVI_FUZZ=ON -DSOLVI_TESTS=OFF -DSOLVI_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=$(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
# shellcheck disable=SC2086
cmake --build build-fuzz -j"${FUZZ_JOBS:-$(nproc)}" --target $targets

# Files the tools make: a short drive writes model caches, a replay and
# curves. It needs the regular build; without it those seeds are left out.
made=build-fuzz/made
rm -rf "$made" && mkdir -p "$made"
if [ -x build/vqsim ]; then
  if ! build/vqsim drive --track strip --seconds 3 --quiet --run-dir "$made/run" --data "$root/data" \
      >"$made/drive.log" 2>&1; then
    echo "fuzz: the seed drive failed (see $made/drive.log); its files are left out"
  fi
else
  echo "fuzz: no build/vqsim (run scripts/build.sh first); seeds of made files are left out"
fi
# A 4 x 2 raw lightmap: int32 width, int32 height, then the texels.
printf '\004\000\000\000\002\000\000\000' >"$made/lightmap.raw"
head -c 32 /dev/zero | tr '\000' '\200' >>"$made/lightmap.raw"

seed_files() {
  case "$1" in
    ase_fuzz | animation_fuzz) find data -name '*.ase' ;;
    model_file_fuzz) find "$made" -name '*.vqo' ;;
    tga_fuzz) find data -name '*.tga' ;;
    wav_fuzz) find data -name '*.wav' ;;
    ini_reader_fuzz) find data -name '*.ini'; find data -name 'track.txt' ;;
    curve_file_fuzz) find data -name '*.vqcv'; find "$made" -name '*.exp' ;;
    tyre_file_fuzz) find data -name '*.vqt' ;;
    setup_file_fuzz) find data -name '*.vqs' ;;
    replay_fuzz) find "$made" -path '*/replay/*' -type f ;;
    lightmap_fuzz) echo "$made/lightmap.raw" ;;
  esac
}

for t in $targets; do
  seeds="build-fuzz/seeds/$t"
  rm -rf "$seeds" && mkdir -p "$seeds" "build-fuzz/corpus/$t"
  max_len=4096
  count=0
  while IFS= read -r f; do
    [ -f "$f" ] || continue
    cp "$f" "$seeds/$(echo "$f" | tr '/' '_')"
    size=$(stat -c %s "$f")
    [ "$size" -gt "$max_len" ] && max_len=$size
    count=$((count + 1))
  done < <(seed_files "$t")
  echo "fuzz: $t for ${seconds}s from $count seed(s), -max_len=$max_len"
  if (cd build-fuzz && "fuzz/$t" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 \
      "corpus/$t" "seeds/$t" >"$t.log" 2>&1); then
    tail -n 1 "build-fuzz/$t.log"
  else
    tail -n 40 "build-fuzz/$t.log"
    echo "fuzz: $t failed; the input that caused it is in build-fuzz/"
    exit 1
  fi
done
