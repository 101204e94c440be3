#!/usr/bin/env bash
# Bounded fuzz run of the meter's receive buffer and frame decoder: builds the
# libFuzzer harness with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in its own build directory, runs it for a fixed time and fails on any
# finding. Only the meter library and the harness are built, so the build
# stays short.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_FUZZ_BUILD:-$here/build-fuzz}
seconds=${QUORVANE_FUZZ_SECONDS:-60}
mkdir -p "$build/corpus" "$build/artifacts"

# The harness links the meter library, built here with clang and the
# sanitizers; only that target and what it links are built.
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -O1 -g"
cmake -S "$here" -B "$build" -DQUORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_decoder
fuzzer=$build/tests/meter/fuzz_decoder

# Seeds: a decodable frame taken at once, and the same frame repeated past
# the buffer's bound before it is taken (control bytes as the harness reads them).
printf '\x4d\x30\x31\x32\x33\x34\x35\x3b\x30\x30\x30\x30\x30\x0d\x8a\x40\x30' >"$build/corpus/frame"
printf '\x2d\x30\x31\x32\x33\x34\x35\x3b\x30\x30\x30\x30\x30\x0d\x8a\x6d\x31\x31\x32\x33\x34\x35\x34\x34\x30\x30\x30\x30\x0d\x8a' \
    >"$build/corpus/repeated"

cd "$build"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$build/corpus"
