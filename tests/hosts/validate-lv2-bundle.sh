#!/usr/bin/env bash
# The LV2 bundle's Turtle parses, lv2_validate (Debian's lv2-dev) finds no
# error in it, and lv2info shows what hosts file and list the plug-in by: a
# delay plug-in by its maker, with a licence and the nine parameters as
# control ports at their defaults.
#   validate-lv2-bundle.sh BUNDLE URI SELVANE_RENDER
# (the renderer lists the parameters' names and defaults).
set -u
bundle="$1"; uri="$2"; render="$3"
status=0
fail() { echo "FAIL: $*"; status=1; }

for ttl in "$bundle"/*.ttl; do
  sordi "file://$(realpath "$ttl")" >/dev/null 2>"$bundle.sordi.$$" || { fail "$ttl does not parse:"; cat "$bundle.sordi.$$"; }
done
rm -f "$bundle.sordi.$$"

report=$(lv2_validate "$bundle"/*.ttl 2>&1)
summary=$(printf '%s\n' "$report" | grep '^Found')
echo "lv2_validate: $summary"
case "$summary" in
  "Found 0 errors"*) ;;
  *) fail "lv2_validate reports:"; printf '%s\n' "$report" | grep -v '^Skipping' ;;
esac
printf '%s\n' "$report" | grep -q '^warning:' && { fail "lv2_validate warns:"; printf '%s\n' "$report" | grep -A3 '^warning:'; }

# lv2info finds plug-ins on LV2_PATH: this bundle, and the system's LV2 core bundles
# (which name the plug-in classes).
lv2path=$(mktemp -d)
trap 'rm -rf "$lv2path"' EXIT
ln -s "$(cd "$bundle" && pwd)" "$lv2path/Selvane.lv2"
info=$(LV2_PATH="$lv2path:/usr/lib/lv2" lv2info "$uri" 2>&1) || { fail "lv2info does not find $uri:"; echo "$info"; exit 1; }
field() { printf '%s\n' "$info" | sed -n "s/^\t$1: *//p" | head -1; }
[ "$(field Name)" = "Selvane" ] || fail "name '$(field Name)'"
[ "$(field Class)" = "Delay Plugin" ] || fail "class '$(field Class)', expected Delay Plugin"
[ "$(field Author)" = "Orvelle" ] || fail "author '$(field Author)'"
printf '%s\n' "$info" | grep -q 'Author Email' && fail "an author email is shown: $(field 'Author Email')"
echo "lv2info: $(field Name), class $(field Class), author $(field Author), homepage $(field 'Author Homepage')"

grep -q 'doap:license <https://' "$bundle/dsp.ttl" || fail "no licence in dsp.ttl"
grep -q 'lv2:minorVersion 110 ;' "$bundle/dsp.ttl" || fail "minor version is not 110"
grep -q 'lv2:microVersion 0 ;' "$bundle/dsp.ttl" || fail "micro version is not 0"

# Each parameter is a control input port with its default, as lv2info lists it.
parameters=$("$render" --list-parameters) || { echo "FAIL: $render --list-parameters"; exit 1; }
[ "$(printf '%s\n' "$parameters" | wc -l)" -eq 9 ] || fail "expected nine parameters, got: $parameters"
index=9
while read -r symbol default; do
  block=$(printf '%s\n' "$info" | awk -v p="Port $index:" '$0 ~ p { on = 1; next } /^\tPort [0-9]+:/ { on = 0 } on')
  printf '%s\n' "$block" | grep -q "Symbol: *$symbol\$" || { fail "port $index is not $symbol"; continue; }
  printf '%s\n' "$block" | grep -q 'ControlPort' || fail "$symbol is not a control port"
  printf '%s\n' "$block" | grep -q 'InputPort' || fail "$symbol is not an input"
  awk -v d="$(printf '%s\n' "$block" | sed -n 's/.*Default: *//p')" -v e="$default" 'BEGIN { exit !(d + 0 == e + 0) }' \
    || fail "$symbol default is not $default"
  index=$((index + 1))
done <<<"$parameters"

exit $status
