#!/bin/sh
# Builds the XML reader's fuzz targets with clang, libFuzzer and the address
# and undefined-behaviour sanitizers, and runs each for a bounded time
# (default 60 s each; first argument overrides). Fails on any crash, leak,
# sanitizer report or time-out; the finding is left in build/fuzz-xml/.
set -eu
cd "$(dirname "$0")/../.."
SECONDS_EACH=${1:-60}
BUILD=build/fuzz-xml
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXARO_FUZZ=ON -DVEXARO_SANITIZE=address -DVEXARO_TESTS=OFF \
  -DVEXARO_ONLY="platform/sys;xml;fuzz" >/dev/null
cmake --build "$BUILD" --target xml_parse_fuzzer xml_read_file_fuzzer
for target in parse read_file; do
  work="$BUILD/corpus-$target"
  mkdir -p "$work"
  (cd "$BUILD" && "./fuzz/xml/xml_${target}_fuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 \
    -rss_limit_mb=2048 -max_len=8192 -dict="../../fuzz/xml/xml.dict" \
    "corpus-$target" "../../fuzz/xml/corpus/$target")
done
