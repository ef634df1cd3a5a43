#!/usr/bin/env bash
# Installs the kernel into a staging prefix and builds a small program against
# it twice: through find_package(zovkernel) and through pkg-config.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/prefix" >/dev/null
cmake -S "$root/tests/consumer" -B "$stage/consumer" -DCMAKE_PREFIX_PATH="$stage/prefix" >/dev/null
cmake --build "$stage/consumer" >/dev/null
data=$(mktemp -d)
"$stage/consumer/consumer" "$data/"
libdir=$(dirname "$(find "$stage/prefix" -name zovkernel.pc)")
PKG_CONFIG_PATH="$libdir" g++ -std=c++17 "$root/tests/consumer/consumer.cpp" -o "$stage/consumer-pc" \
  $(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs zovkernel) -Wl,-rpath,"$(dirname "$libdir")"
"$stage/consumer-pc" "$data/"
rm -rf "$data"
echo "consumer: 2 passed, 0 failed"
