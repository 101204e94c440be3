#!/usr/bin/env bash
# Bounded fuzz run of the meter's receive buffer and frame decoder: builds the
# libFuzzer harness with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in its own build directory, runs it for a fixed time and fails on any
# finding. Only the decoder's sources are compiled, so the build stays short.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_FUZZ_BUILD:-$here/build-fuzz}
seconds=${QUORVANE_FUZZ_SECONDS:-60}
mkdir -p "$build/corpus" "$build/artifacts"

moc="$(pkg-config --variable=host_bins Qt5Core)/moc"
"$moc" -I"$here" "$here/meter/Communication.h" -o "$build/moc_Communication.cpp"

read -r -a qt_cflags <<<"$(pkg-config --cflags Qt5Core Qt5SerialPort)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt5Core Qt5SerialPort)"
flags=(-std=c++17 -g -O1 -fPIC -Wall -Wextra
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

objects=()
for source in meter/Communication.cpp meter/Reading.cpp tests/meter/fuzz_decoder.cpp \
              "$build/moc_Communication.cpp"; do
    [[ $source = /* ]] || source="$here/$source"
    object="$build/$(basename "${source%.cpp}").o"
    clang++ "${flags[@]}" -I"$here" "${qt_cflags[@]}" -c "$source" -o "$object" &
    objects+=("$object")
done
wait_all() { local status=0; for job in $(jobs -p); do wait "$job" || status=1; done; return $status; }
wait_all
clang++ "${flags[@]}" "${objects[@]}" "${qt_libs[@]}" -o "$build/fuzz_decoder"

# Seeds: a decodable frame taken at once, and the same frame repeated past
# the buffer's bound before it is taken (control bytes as the harness reads them).
printf '\x4d\x30\x31\x32\x33\x34\x35\x3b\x30\x30\x30\x30\x30\x0d\x8a\x40\x30' >"$build/corpus/frame"
printf '\x2d\x30\x31\x32\x33\x34\x35\x3b\x30\x30\x30\x30\x30\x0d\x8a\x6d\x31\x31\x32\x33\x34\x35\x34\x34\x30\x30\x30\x30\x0d\x8a' \
    >"$build/corpus/repeated"

cd "$build"
./fuzz_decoder -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$build/corpus"
