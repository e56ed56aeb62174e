#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a short time on a seed
# corpus made by our own writers. Skipped when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${FUZZ_SECONDS:-15}"
# A fixed seed keeps the test run repeatable; `make fuzz` explores with a fresh one.
seed="${FUZZ_SEED:-1}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, fuzz targets skipped"
  exit 0
fi
build=build-fuzz
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKALVENOR_TESTS=OFF -DKALVENOR_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}"
corpus="$build/corpus"
rm -rf "$corpus"
"$build/kalvenor_fuzz_seeds" "$corpus"
status=0
for target in "$build"/*_fuzz; do
  name="$(basename "$target")"
  mkdir -p "$corpus/$name" "$build/artifacts/$name"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       -artifact_prefix="$build/artifacts/$name/" "$corpus/$name" >"$build/$name.log" 2>&1; then
    echo "fuzz: $name FAILED, see $build/$name.log"; tail -n 40 "$build/$name.log"; status=1
  fi
done
exit $status
