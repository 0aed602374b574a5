#!/usr/bin/env bash
# Builds every engine/*_fuzz.cpp as a libFuzzer program and runs each for N
# seconds. The build is CMake's FUZZ configuration in build/fuzz (clang,
# address and undefined-behaviour sanitizers, asserts on; only os/, runtime/
# and engine/), the one `make test` builds to keep the targets compiling.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     e.g. tools/fuzz.sh 3600 cdx_fuzz dbf_fuzz
#   tools/fuzz.sh 0                         builds only
#
# The fuzzers run under `nice -n 19`, FUZZ_PARALLEL (default 2) targets at a
# time, so that they take only the processor time nothing else wants.
# Corpus folders in build/fuzz/corpus/<target>/ grow from run to run; seeds
# are the saved findings of testdata/fuzz/<target>/, the files of testdata/
# whose extension matches the target's prefix
# (cdx_fuzz <- *.cdx, dbf_fuzz <- *.dbf, fpt_fuzz <- *.fpt), a few key
# expressions for expr_fuzz, and for set_fuzz each table of the corpus framed
# with its memo and index files (see set_fuzz.cpp). Findings (crash-*,
# leak-*, timeout-*) land in build/fuzz/findings/<target>/; each target's
# last lines (executions, coverage) are printed at the end. Exit status 1
# when any target found something.
#
# FUZZ_CXX / FUZZ_CC choose the compiler (default clang++-19 / clang-19, which
# tools/bootstrap.sh installs).
set -euo pipefail

SECONDS_EACH=${1:-60}
shift || true
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/build/fuzz
CXX=${FUZZ_CXX:-clang++-19}
CC=${FUZZ_CC:-clang-19}
PARALLEL=${FUZZ_PARALLEL:-2}

cmake -S "$ROOT" -B "$OUT" -G Ninja -DFUZZ=ON -DCMAKE_CXX_COMPILER="$CXX" \
    -DCMAKE_C_COMPILER="$CC" >/dev/null
nice -n 19 cmake --build "$OUT" --target fuzzers -j 2
[[ $SECONDS_EACH -gt 0 ]] || exit 0

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for f in "$ROOT"/engine/*_fuzz.cpp "$ROOT"/updater/*_fuzz.cpp; do targets+=("$(basename "${f%.cpp}")"); done
fi

# A set_fuzz input: one byte of flags (1 memo file given, 2 index file
# given), the table's and the memo's lengths as 4-byte little-endian
# numbers, then the table, the memo and the index bytes.
frame_set() {  # table memo-or-empty index-or-empty out
    python3 - "$@" <<'EOF'
import struct, sys
table, memo, index, out = sys.argv[1:5]
read = lambda p: open(p, 'rb').read() if p else b''
t, m, i = read(table), read(memo), read(index)
flags = (1 if memo else 0) | (2 if index else 0)
open(out, 'wb').write(bytes([flags]) + struct.pack('<II', len(t), len(m)) + t + m + i)
EOF
}

companion() {  # table extension -> the file beside it with that extension, any case
    local base=${1%.*}
    find "$(dirname "$1")" -maxdepth 1 -type f -iname "$(basename "$base").$2" -print -quit
}

seed() {  # target corpus-dir
    local target=$1 dir=$2 ext=${1%%_*}
    mkdir -p "$dir"
    if [[ -d $ROOT/testdata/fuzz/$target ]]; then
        cp -n "$ROOT/testdata/fuzz/$target"/* "$dir/"
    fi
    case $target in
        expr_fuzz)
            local i=0
            for e in 'UPPER(name)+DTOS(born)' 'STR(qty,10,2)' "TRIM(UPPER(name))==\"AUDIO\"" \
                     '.NOT.DELETED()' 'IIF(ok,name,SPACE(10))' 'SUBSTR(T->name,2,3)+PADL(LTRIM(STR(id)),6,"0")' \
                     'YEAR(born)*100+MONTH(born)>199912 .AND. qty<0' 'CTOD(DTOC(born))' 'VAL(name)+RECNO()'; do
                printf '%s' "$e" > "$dir/seed$((i++))"
            done ;;
        set_fuzz)
            local i=0 table
            while IFS= read -r -d '' table; do
                frame_set "$table" "$(companion "$table" fpt)" "$(companion "$table" cdx)" \
                    "$dir/seed$((i++))"
            done < <(find "$ROOT/testdata" -iname '*.dbf' -size -1024k -print0) ;;
        *)
            find "$ROOT/testdata" -iname "*.$ext" -size -1024k -exec cp -n {} "$dir/" \; ;;
    esac
}

run() {  # target: runs it, prints its figures, returns 1 on a finding
    local t=$1 corpus=$OUT/corpus/$1 findings=$OUT/findings/$1 log=$OUT/$1.log status=0
    [[ -x $OUT/bin/$t ]] || { echo "no such target: $t" >&2; return 2; }
    seed "$t" "$corpus"
    mkdir -p "$findings"
    nice -n 19 "$OUT/bin/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" \
        >"$log" 2>&1 || status=1
    local execs last
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo 'cov: ?')
    if [[ $status -ne 0 ]]; then
        echo "$t: FINDING after $execs executions ($last; see $findings and $log)"
    else
        echo "$t: ${SECONDS_EACH}s, $execs executions, $last"
    fi
    return $status
}

for t in "${targets[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge $PARALLEL ]]; do wait -n || true; done
    echo "running $t for ${SECONDS_EACH}s..."
    (s=0; run "$t" || s=$?; echo $s >"$OUT/$t.status") &
done
wait
found=0
for t in "${targets[@]}"; do
    [[ $(cat "$OUT/$t.status") == 0 ]] || found=1
done
exit $found
