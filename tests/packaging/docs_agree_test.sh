#!/usr/bin/env bash
# A program's options and commands are written once, in its --help; the
# manual page the build made from it and the README must name the same ones.
#   docs_agree_test.sh SOURCE_DIR MAN_DIR NAME=PROGRAM...
# Every program's page is checked; the README checks below know their
# programs by name.
set -euo pipefail
source_dir=$1
man_dir=$2
shift 2
declare -A program
for pair in "$@"; do
  program[${pair%%=*}]=${pair#*=}
done
readme=$source_dir/README.md
failures=0

# Every --option named in a text; --help and --version go without saying.
options() { grep -oE -- '--[a-z][a-z-]*' | grep -vxE -- '--(help|version)' | LC_ALL=C sort -u || true; }
help_commands() { sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p' | LC_ALL=C sort -u; }
# The text of a manual page without its markup.
page_text() { zcat "$man_dir/$1.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g'; }

# same WHAT EXPECTED ACTUAL: the two sorted lists hold the same words.
same() {
  local differences
  differences=$(diff <(echo "$2") <(echo "$3") | grep '^[<>]' || true)
  if [ -n "$differences" ]; then
    echo "FAIL: $1 (< only in the first, > only in the second):"
    echo "$differences"
    failures=$((failures + 1))
  fi
}
# within WHAT WORDS LIST: every word of WORDS is in LIST.
within() {
  local extra
  extra=$(LC_ALL=C comm -23 <(echo "$2") <(echo "$3"))
  if [ -n "$extra" ]; then
    echo "FAIL: $1:" $extra
    failures=$((failures + 1))
  fi
}

for name in "${!program[@]}"; do
  help=$("${program[$name]}" --help)
  page=$(page_text "$name")
  same "$name: options in --help and in its manual page" "$(options <<<"$help")" "$(options <<<"$page")"
  within "$name: commands of --help missing from its manual page" \
    "$(help_commands <<<"$help")" "$(grep -oE '[a-z][a-z-]*' <<<"$page" | LC_ALL=C sort -u)"
done

# torvanectl: its README section names every option and, in the usage block,
# every command of --help, and nothing else.
ctl_help=$("${program[torvanectl]}" --help)
ctl_section=$(awk '/^## /{inside = ($0 == "## torvanectl")} inside' "$readme")
same "torvanectl: options in --help and in the README" \
  "$(options <<<"$ctl_help")" "$(options <<<"$ctl_section")"
same "torvanectl: commands in --help and in the README's usage block" \
  "$(help_commands <<<"$ctl_help")" \
  "$(sed -n '/^    torvanectl \[/,/^    NET:/s/^      \([a-z][a-z-]*\).*/\1/p' <<<"$ctl_section" | LC_ALL=C sort -u)"

# torvane: the README paragraphs that run the window name its options.
gui_paragraphs=$(awk -v RS= '/gui\/torvane[ `]|options of `torvane`/' "$readme")
same "torvane: options in --help and in the README" \
  "$(options <<<"$("${program[torvane]}" --help)")" "$(options <<<"$gui_paragraphs")"

# torvane-sim: its README defers to --help; the command lines it shows must
# still work.
sim_lines=$(grep -h 'torvane-sim --' "$readme" "$source_dir/sim/README.md" || true)
within "torvane-sim: options in the READMEs that --help does not know" \
  "$(options <<<"$sim_lines")" "$(options <<<"$("${program[torvane-sim]}" --help)")"

((failures == 0)) || exit 1
echo "--help, the manual pages and the README agree"
