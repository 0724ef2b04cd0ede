#!/usr/bin/env bash
# Debian's lintian on the package: no error. Its warnings and notes are printed.
#   lintian.sh PACKAGE_FILE
set -uo pipefail
deb="${1:?usage: lintian.sh PACKAGE_FILE}"
command -v lintian >/dev/null || { echo "skipped: lintian is missing (make setup installs it)"; exit 77; }
[ -f "$deb" ] || { echo "FAIL $deb is missing: run make package"; exit 1; }
report=$(lintian -I --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges')
echo "$report"
if echo "$report" | grep -q '^E: '; then
  echo "FAIL lintian reports errors"
  exit 1
fi
echo "no errors ($(echo "$report" | grep -c '^W: ') warnings, $(echo "$report" | grep -c '^I: ') notes)"
