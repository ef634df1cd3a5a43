#!/usr/bin/env bash
# Both programs of the build tell the project's version, with the commit
# when built from a checkout.
# Usage: version_test.sh SOURCE-DIR VERSION zov zovtray
set -euo pipefail
src=$1 version=$2
expect="$version"
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  expect="$version (git $(git -C "$src" rev-parse --short=10 HEAD)"
fi
for program in "$3" "$4"; do
  name=$(basename "$program")
  # No display: the answer comes before the toolkit starts.
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)
  case "$got" in
    "$name $expect" | "$name $expect)" | "$name $expect-dirty)") ;;
    *) echo "version: FAIL: $name --version says \"$got\", expected \"$name $expect...\"" >&2; exit 1 ;;
  esac
done
echo "version: PASS ($expect)"
