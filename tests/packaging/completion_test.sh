#!/usr/bin/env bash
# torvanectl's bash completion, driven as bash drives it on TAB: the words
# offered at each point of a command line.
#   completion_test.sh COMPLETION_FILE TORVANECTL
set -uo pipefail
completion=$1
torvanectl=$2
source /usr/share/bash-completion/bash_completion
source "$completion"

files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/edid-1080p.bin" "$files/edid-4k.bin" "$files/firmware.bin"

# The words offered for LINE, the cursor at its end, sorted on one line.
offered() {
  local line=$1
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]=$torvanectl
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _torvanectl "$torvanectl" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' '
}

ports=$("$torvanectl" ports | cut -f1 | LC_ALL=C sort | paste -sd' ')
failures=0
while IFS='|' read -r line expected; do
  [ -n "$line" ] || continue
  actual=$(offered "$line")
  if [ "$actual" != "$expected" ]; then
    echo "FAIL: '$line' offers '$actual', expected '$expected'"
    failures=$((failures + 1))
  fi
done <<CASES
torvanectl ro|route
torvanectl --json st|status
torvanectl --tcp 10.0.0.5 e|edid
torvanectl --j|--json
torvanectl --serial |$ports
torvanectl discover --wait |
torvanectl power |off on
torvanectl --json beep o|off on
torvanectl route |1 2 3 4 5 6 7 8
torvanectl route 3 |A B C D E F G H
torvanectl route 3 B |
torvanectl arc C |off on
torvanectl edid |check copy file list preset
torvanectl edid preset 1|1 10 11 12 13 14 15
torvanectl edid preset 12 |1 2 3 4 5 6 7 8 all
torvanectl edid copy |A B C D E F G H
torvanectl edid copy A |1 2 3 4 5 6 7 8
torvanectl edid file $files/edid|$files/edid-1080p.bin $files/edid-4k.bin
torvanectl edid check $files/edid-4|$files/edid-4k.bin
torvanectl upgrade $files/f|$files/firmware.bin
torvanectl text |set
torvanectl factory-reset |--yes
CASES

# Every command of --help is offered where a command goes.
commands=$(offered "torvanectl ")
for command in route edid netconfig discover upgrade ports status; do
  [[ " $commands " == *" $command "* ]] || {
    echo "FAIL: '$command' is not among the commands offered: $commands"
    failures=$((failures + 1))
  }
done

((failures == 0)) || exit 1
echo "torvanectl completes as expected"
