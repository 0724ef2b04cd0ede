#!/usr/bin/env bash
# A mend whose text is gone stops the configure step with the file's name;
# one whose text is there applies.
set -u
here=$(dirname "$0")
fail() { echo "FAIL $*" >&2; exit 1; }

out=$(cmake -DMODE=plain "-DBEFORE=inCallback = false" -P "$here/mend.cmake" 2>&1) || fail "a present text was refused: $out"
grep -q "bool mended;" <<<"$out" || fail "the present text was not replaced: $out"

out=$(cmake -DMODE=plain "-DBEFORE=inParameterChangedCallback" -P "$here/mend.cmake" 2>&1) && fail "a missing text was accepted"
grep -q "sample.cpp: the text to mend was not found" <<<"$out" || fail "no clear message: $out"

out=$(cmake -DMODE=regex "-DBEFORE=\"\\.\\./utility/([a-zA-Z_]+\\.h)\"" -P "$here/mend.cmake" 2>&1) || fail "a matching pattern was refused: $out"
grep -q "#include <juce_Hooks.h>" <<<"$out" || fail "the pattern was not replaced: $out"

out=$(cmake -DMODE=regex "-DBEFORE=\\.\\./missing/" -P "$here/mend.cmake" 2>&1) && fail "a pattern matching nothing was accepted"
grep -q "sample.cpp: the pattern to mend was not found" <<<"$out" || fail "no clear message: $out"
echo "mends: applied where their text is, refused loudly where it is not"
