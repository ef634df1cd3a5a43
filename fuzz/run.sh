#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, each on its seed corpus (read
# only) plus a working corpus in the build folder. Fails on the first finding;
# the input that caused it lands in BUILD/artifacts/.
# Usage: fuzz/run.sh BUILD_DIR SECONDS
set -euo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
here=$(cd "$(dirname "$0")" && pwd)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts"
for target in session_line current_state readable_datetime index_reader; do
  mkdir -p "$build/corpus/$target"
  echo "== fuzz_$target for ${seconds}s"
  "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "$here/corpus/$target"
done
