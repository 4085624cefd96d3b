#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each of
# them on its seed corpus (tests/fuzz/corpus/<target>/).
#
#   scripts/fuzz.sh                   every target for 300 seconds
#   scripts/fuzz.sh 600               every target for 600 seconds
#   scripts/fuzz.sh 1000000r          every target for 1,000,000 runs
#   scripts/fuzz.sh 60 script         only the named targets
#   scripts/fuzz.sh --ci 20000r       what ./test does: the seeds only, a fresh
#                                     scratch corpus, a short fixed run
#
# The inputs a longer run finds are kept in build-fuzz/corpus/<target>/ and
# used again by the next longer run; the seeds in the repository never
# change. A crash or a broken property stops the script with status 1; the
# input is saved as build-fuzz/artifacts/<target>/crash-* (reproduce with
# build-fuzz/fuzz/fuzz_<target> FILE) and belongs in a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-fuzz"
targets_all=(program_reader settings_file card_header card_inspect script mode_file conversion card_decoder)

ci=0
if [ "${1:-}" = "--ci" ]; then
  ci=1
  shift
fi
limit=${1:-300}
[ $# -gt 0 ] && shift
if [[ "$limit" =~ ^[0-9]+$ ]]; then
  limit_flag="-max_total_time=$limit"
elif [[ "$limit" =~ ^[0-9]+r$ ]]; then
  limit_flag="-runs=${limit%r}"
else
  echo "fuzz.sh: the limit is SECONDS or RUNSr (for example 600 or 1000000r)" >&2
  exit 2
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${targets_all[@]}")

cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang++ is needed (scripts/setup.sh installs it)" >&2
  exit 1
fi
log=$(mktemp)
if ! { cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DLED2VQN_FUZZ=ON -DLED2VQN_TESTS=OFF -DLED2VQN_GUI=OFF -DLED2VQN_BENCH=OFF &&
       cmake --build "$build" --target led2vqn_fuzzers -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  echo "fuzz.sh: the build failed" >&2
  exit 1
fi
rm -f "$log"

status=0
for t in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$t"
  seeds="$root/tests/fuzz/corpus/$t"
  if [ ! -x "$program" ] || [ ! -d "$seeds" ]; then
    echo "fuzz.sh: no target $t" >&2
    exit 2
  fi
  artifacts="$build/artifacts/$t"
  mkdir -p "$artifacts"
  if [ $ci -eq 1 ]; then
    work=$(mktemp -d)
  else
    work="$build/corpus/$t"
    mkdir -p "$work"
  fi
  out=$(mktemp)
  # The targets' scratch files (and the cards the conversion target writes) go
  # here, so that a crash leaves nothing in the system's temporary folder.
  scratch=$(mktemp -d)
  start=$(date +%s)
  # The first folder receives what the run finds; the seeds are only read.
  if TMPDIR="$scratch" "$program" "$limit_flag" -artifact_prefix="$artifacts/" -print_final_stats=1 \
       "$work" "$seeds" >"$out" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out")
    cov=$(grep -o 'cov: [0-9]*' "$out" | tail -1)
    echo "fuzz $t: ${runs:-?} runs in $(( $(date +%s) - start )) s, ${cov:-cov: ?}, no finding"
  else
    status=1
    tail -n 60 "$out" >&2
    echo "fuzz $t: FAILED; the input is in $artifacts/" >&2
  fi
  rm -rf "$out" "$scratch"
  if [ $ci -eq 1 ]; then rm -rf "$work"; fi
done
exit $status
