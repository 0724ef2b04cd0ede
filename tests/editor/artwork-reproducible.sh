#!/usr/bin/env bash
# The committed pictures are exactly what the artwork generator draws.
#   artwork-reproducible.sh GENERATOR RESOURCES_DIR
set -u
generator="$1"; resources="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" "$work" >/dev/null || { echo "FAIL: the generator failed"; exit 1; }
status=0
count=0
for drawn in "$work"/*; do
  name=$(basename "$drawn")
  count=$((count + 1))
  if ! cmp -s "$drawn" "$resources/$name"; then echo "FAIL: $name differs from the committed picture (run make artwork)"; status=1; fi
done
[ "$count" -eq 30 ] || { echo "FAIL: expected 30 pictures (15 at 1x, 15 at 2x), the generator drew $count"; status=1; }
[ $status -eq 0 ] && echo "all $count pictures identical"
exit $status
