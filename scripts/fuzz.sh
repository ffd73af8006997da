#!/usr/bin/env bash
# Fuzzes the reader of the control's persisted stream natively, with clang's
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, for FUZZ_SECONDS
# (default 600) at the lowest priority on one core.
#   seeds: the main window's stream in every layout, and the regression corpus
#   work:  build-fuzz/ (corpus grown by the run, crash files, log)
# A crash file found is kept in build-fuzz/; copy it into tests/palisade/corpus/
# once the reader is fixed, so the tests keep checking it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
SECONDS_TO_RUN=${FUZZ_SECONDS:-600}
OUT=build-fuzz
mkdir -p "$OUT/seeds" "$OUT/corpus"

need=()
command -v clang++ >/dev/null || need+=(clang)
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$OUT/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$OUT/probe.cpp" -o "$OUT/probe" 2>/dev/null; then need+=(libfuzzer-14-dev); fi
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then echo "Paquets manquants : ${need[*]}" >&2; exit 1; fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libfuzzer-14-dev
fi

FORMAT=(palisade/format/Stream.cpp palisade/format/Dib.cpp)
# Seeds: the main window's stream, written in every layout by the build's own generator.
c++ -std=c++20 -O1 -I. res/MakeMenuStream.cpp "${FORMAT[@]}" -o "$OUT/MakeMenuStream"
"$OUT/MakeMenuStream" "$OUT/seeds/menu-stream.bin" "$OUT/seeds"
cp tests/palisade/corpus/* "$OUT/seeds/"

clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    tests/fuzz/StreamFuzzer.cpp "${FORMAT[@]}" -o "$OUT/stream-fuzzer"
cd "$OUT"
nice -n 19 ./stream-fuzzer -max_total_time="$SECONDS_TO_RUN" -max_len=32768 -rss_limit_mb=1024 -timeout=10 \
    -print_final_stats=1 corpus seeds 2>&1 | tee fuzz.log | grep -E '^#[0-9]+ +(DONE|INITED)|stat::|ERROR|SUMMARY' || true
grep -q 'ERROR: ' fuzz.log && { echo "Plantage trouvé : voir $OUT/fuzz.log et $OUT/crash-*" >&2; exit 1; }

# Lines of the reader reached by the corpus the run grew (source-based coverage).
cd ..
clang++ -std=c++20 -O1 -I. -fsanitize=fuzzer -fprofile-instr-generate -fcoverage-mapping \
    tests/fuzz/StreamFuzzer.cpp "${FORMAT[@]}" -o "$OUT/stream-coverage"
LLVM_PROFILE_FILE="$OUT/stream.profraw" nice -n 19 "$OUT/stream-coverage" -runs=0 "$OUT/corpus" >/dev/null 2>&1
llvm-profdata merge -sparse "$OUT/stream.profraw" -o "$OUT/stream.profdata"
llvm-cov report "$OUT/stream-coverage" -instr-profile="$OUT/stream.profdata" "${FORMAT[@]}" | tee "$OUT/coverage.txt"
exit 0
