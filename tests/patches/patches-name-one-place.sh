#!/usr/bin/env bash
# A patch of a third-party file applies only where each hunk names one place
# of the file as shipped, at the line the hunk gives; otherwise the configure
# step stops, names the patch and the file, and writes nothing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

apply() {  # apply SOURCE PATCH: prints what the configure step said
  cmake -DSOURCE="$1" -DPATCH="$here/$2" -DOUTPUT="$work/out.cpp" -P "$here/apply.cmake" 2>&1
}

# Third-party sources may end lines with CR LF: the copy ends them with LF.
sed 's/$/\r/' "$here/sample.cpp" >"$work/sample-crlf.cpp"
for source in "$here/sample.cpp" "$work/sample-crlf.cpp"; do
  rm -f "$work/out.cpp"
  out=$(apply "$source" renames-second.patch) || fail "a hunk naming one place was refused: $out"
  grep -q '^int secondMended()$' "$work/out.cpp" || fail "the hunk was not applied to $source"
  [ "$(grep -c 'return 1;' "$work/out.cpp")" -eq 2 ] || fail "more than the hunk changed in $source"
done

# patch      what the message must say
cases=(
  "text-twice.patch|text-twice.patch, hunk 1 (line 7 of $here/sample.cpp): its text stands 2 times in the source (at lines 2, 7)"
  "text-gone.patch|text-gone.patch, hunk 1 (line 12 of $here/sample.cpp): its text is not in the source"
  "text-moved.patch|text-moved.patch, hunk 1 (line 1 of $here/sample.cpp): its text stands at line 9, not where the hunk says"
)
for entry in "${cases[@]}"; do
  patch_file=${entry%%|*}; expected=${entry#*|}
  echo "unchanged" >"$work/out.cpp"
  out=$(apply "$here/sample.cpp" "$patch_file") && fail "$patch_file was accepted"
  # (CMake folds long messages: compare with the white space folded)
  grep -qF "$expected" <<<"$(tr -s '[:space:]' ' ' <<<"$out")" || fail "$patch_file: the configure step said: $out"
  grep -q "CMake Error" <<<"$out" || fail "$patch_file: not a configure error: $out"
  [ "$(cat "$work/out.cpp")" = unchanged ] || fail "$patch_file: the copy was written though the patch was refused"
done

out=$(apply "$here/missing.cpp" renames-second.patch) && fail "a missing source was accepted"
grep -q "missing.cpp: not found" <<<"$out" || fail "no clear message for a missing source: $out"
echo "patches: applied where each hunk names one place; refused, naming the patch and the file, otherwise"
