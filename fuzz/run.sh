#!/bin/sh
# Builds the fuzz harnesses with clang and the sanitizers, then runs each for
# FUZZ_SECONDS seconds on a corpus kept in the build folder and seeded from
# the tests' sample files. Stops at the first finding, whose input is saved
# in the build folder's findings/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
harnesses=${FUZZ_HARNESSES:-mime headers html rtf replies}

CXX=${CXX:-clang++} cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

seeds() {
  case $1 in
    rtf) echo "$root/tests/toolkit/richedit/data" ;;
    html) echo "$root/tests/mail/data/html" ;;
    replies) echo "$root/tests/net/data/replies" ;;
    *) echo "$root/tests/mail/fixtures" ;;
  esac
}

mkdir -p "$build/findings"
for h in $harnesses; do
  mkdir -p "$build/corpus/$h"
  echo "fuzz_$h: $seconds s"
  "$build/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -dict="$root/fuzz/$h.dict" -print_final_stats=1 -artifact_prefix="$build/findings/$h-" \
    "$build/corpus/$h" "$(seeds "$h")"
done
