#!/usr/bin/env bash
# Builds every engine/*_fuzz.cpp as a libFuzzer program (clang++ with
# -fsanitize=fuzzer,address,undefined; the os/, runtime/ and engine/ library
# sources are compiled in directly) and runs each for N seconds.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     e.g. tools/fuzz.sh 60 cdx_fuzz
#
# Seeds: files of the corpus whose extension matches the target's prefix
# (cdx_fuzz <- *.cdx, dbf_fuzz <- *.dbf, fpt_fuzz <- *.fpt), plus a few key
# expressions for expr_fuzz. Findings (crash-*, leak-*, timeout-*) land in
# build/fuzz/findings/<target>/. Exit status 1 when any target found one.
set -euo pipefail

SECONDS_EACH=${1:-60}
shift || true
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${FUZZ_OUT:-$ROOT/build/fuzz}
CXX=${FUZZ_CXX:-clang++}
JOBS=${FUZZ_JOBS:-2}
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
CXXFLAGS="-std=c++20 -g -O1 -I$ROOT $SAN"

mkdir -p "$OUT/obj" "$OUT/bin"

# Library sources of the layers the engine stands on, as CMake would pick
# them for a non-Windows build.
lib_sources() {
    for dir in os runtime engine; do
        for f in "$ROOT/$dir"/*.cpp; do
            base=$(basename "$f")
            case "$base" in
                *_test.cpp|*_testutil.cpp|test_main.cpp|*_bench.cpp|*_fuzz.cpp|main*|win32_*) continue ;;
            esac
            echo "$f"
        done
    done
}

compile() {  # source -> object, only when the source or a header is newer
    local src=$1 obj
    obj="$OUT/obj/$(basename "$(dirname "$src")")_$(basename "${src%.cpp}").o"
    if [[ ! -f "$obj" || "$src" -nt "$obj" || -n "$(find "$ROOT/engine" "$ROOT/os" "$ROOT/runtime" -name '*.h' -newer "$obj" -print -quit)" ]]; then
        $CXX $CXXFLAGS -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
    fi
    echo "$obj"
}
export -f compile
export OUT CXX CXXFLAGS ROOT

echo "compiling library sources with sanitizers..."
lib_sources | xargs -P "$JOBS" -I{} bash -c 'compile "$@" >/dev/null' _ {}
OBJS=$(lib_sources | while read -r s; do echo "$OUT/obj/$(basename "$(dirname "$s")")_$(basename "${s%.cpp}").o"; done)

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for f in "$ROOT"/engine/*_fuzz.cpp; do targets+=("$(basename "${f%.cpp}")"); done
fi

seed() {  # target corpus-dir
    local target=$1 dir=$2 ext=${1%%_*}
    mkdir -p "$dir"
    find "$ROOT/testdata/corpus" -iname "*.$ext" -size -1M -exec cp -n {} "$dir/" \; 2>/dev/null || true
    if [[ $target == expr_fuzz ]]; then
        local i=0
        for e in 'UPPER(name)+DTOS(born)' 'STR(qty,10,2)' "TRIM(UPPER(name))==\"AUDIO\"" \
                 '.NOT.DELETED()' 'IIF(ok,name,SPACE(10))' 'SUBSTR(T->name,2,3)+PADL(LTRIM(STR(id)),6,"0")' \
                 'YEAR(born)*100+MONTH(born)>199912 .AND. qty<0' 'CTOD(DTOC(born))' 'VAL(name)+RECNO()'; do
            printf '%s' "$e" > "$dir/seed$((i++))"
        done
    fi
}

found=0
for t in "${targets[@]}"; do
    src="$ROOT/engine/$t.cpp"
    [[ -f $src ]] || { echo "no such target: $t" >&2; exit 2; }
    echo "building $t..."
    obj=$(compile "$src")
    # shellcheck disable=SC2086
    $CXX $CXXFLAGS -fsanitize=fuzzer "$obj" $OBJS -o "$OUT/bin/$t" -lpthread
    corpus="$OUT/corpus/$t"
    findings="$OUT/findings/$t"
    seed "$t" "$corpus"
    mkdir -p "$findings"
    echo "running $t for ${SECONDS_EACH}s..."
    start=$(date +%s)
    if ! (cd "$findings" && "$OUT/bin/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -print_final_stats=1 "$corpus" 2>"$OUT/$t.log"); then
        found=1
        echo "$t: FINDING (see $findings and $OUT/$t.log)"
    fi
    end=$(date +%s)
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$OUT/$t.log" | grep -o '[0-9]*$' || echo '?')
    echo "$t: ran $((end - start))s, $execs executions"
done
exit $found
