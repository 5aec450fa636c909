#!/usr/bin/env bash
# Installs the build into an empty root, as the Debian package does, and
# checks that exactly the expected files arrive, each in working order.
#   install_test.sh BUILD_DIR EXPECTED_FILE_LIST
set -euo pipefail
build=$1
expected=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
cd "$root"
if ! diff -u "$expected" <(find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); then
  fail "the installed files differ from $expected (- missing, + unexpected)"
fi

# Installed programs run on their own, with nothing from the build folder.
for program in usr/bin/*; do
  [ -x "$program" ] || fail "$program is not executable"
  "$program" --help >/dev/null || fail "$program --help failed"
done

for page in usr/share/man/man1/*.1.gz; do
  gzip -t "$page" || fail "$page is not gzip-compressed"
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
done

for png in usr/share/icons/hicolor/*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not a $size PNG: $(file -b "$png")"
done

for entry in usr/share/applications/*.desktop; do
  report=$(desktop-file-validate "$entry" 2>&1) || fail "$entry does not validate: $report"
  [ -z "$report" ] || fail "$entry validates with remarks: $report"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "usr/bin/$exec_program" ] || fail "$entry starts $exec_program, which is not installed in usr/bin"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry names icon $icon, which is not installed"
done

for completion in usr/share/bash-completion/completions/*; do
  bash -n "$completion" || fail "$completion is not valid bash"
done

((failures == 0)) || exit 1
echo "installed files as expected"
