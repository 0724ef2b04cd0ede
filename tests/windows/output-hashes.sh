# Sourced by the Windows checks: recorded_hash BUILD prints the fixed run's
# output hash recorded for BUILD (windows-x86_64, ...) in output-hashes.txt.
recorded_hash() { awk -v b="$1" '$1 == b { print $2 }' "$(dirname "${BASH_SOURCE[0]}")/output-hashes.txt"; }
