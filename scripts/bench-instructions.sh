#!/usr/bin/env bash
# Instructions per frame of processBlock, counted by callgrind (which the
# machine's load does not move), for the benchmarks' four cases, next to the
# timed benchmarks' ns per frame and real-time factor.
#   bench-instructions.sh BUILD_DIR [BLOCKS]
set -euo pipefail
build="${1:?usage: bench-instructions.sh BUILD_DIR [BLOCKS]}"
blocks="${2:-2000}"
counter="$build/bench/selvane-instruction-count"
[ -x "$counter" ] || { echo "bench-instructions: $counter is missing: build it first" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "bench-instructions: valgrind is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%-16s %12s\n' case instr/frame
for which in settled gliding mono-to-stereo mono; do
  # Only the measured blocks' processBlock calls count: not the set-up, the
  # settling or the copying of each block's input.
  valgrind --tool=callgrind --callgrind-out-file="$work/$which.out" --collect-atstart=no \
    --toggle-collect='measuredProcessBlock*' "$counter" "$which" "$blocks" >"$work/$which.log" 2>&1 \
    || { cat "$work/$which.log"; exit 1; }
  total=$(sed -n 's/^summary: *//p' "$work/$which.out" | awk '{ print $1 }')
  printf '%-16s %12.1f\n' "$which" "$(awk -v t="$total" -v b="$blocks" 'BEGIN { print t / (b * 512) }')"
done
