#!/usr/bin/env bash
# torvanectl's bash completion, driven as bash drives it on TAB: the words
# offered at each point of a command line.
#   completion_test.sh COMPLETION_FILE TORVANECTL
set -uo pipefail
# Names are offered quoted for the shell, as in a UTF-8 terminal.
export LC_ALL=C.UTF-8
completion=$1
torvanectl=$2
source /usr/share/bash-completion/bash_completion
source "$completion"

files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/edid-1080p.bin" "$files/edid-4k.bin" "$files/firmware.bin"

# A profile with names and presets, for a serial port that need not exist:
# names and presets are read without opening it.
export XDG_CONFIG_HOME=$files/config
port=$files/ttyNAMED
"$torvanectl" --serial "$port" name input 3 "Apple TV" >/dev/null &&
  "$torvanectl" --serial "$port" name output B 'Bühne "Ost"' >/dev/null &&
  printf '%s' '{"format":"torvane presets","version":1,"presets":{"Film":{"A":{"input":3}},"Late show":{"B":{"input":1}}}}' >"$files/presets.json" &&
  "$torvanectl" --serial "$port" preset import "$files/presets.json" >/dev/null ||
  { echo "FAIL: the profile could not be made"; exit 1; }

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
torvanectl --serial $port route |1 2 3 4 5 6 7 8 Apple\ TV
torvanectl --serial $port route App|Apple\ TV
torvanectl --serial $port --json route 3 |A B Bühne\ \"Ost\" C D E F G H
torvanectl --serial $port arc B|B Bühne\ \"Ost\"
torvanectl --serial $port name output |A B Bühne\ \"Ost\" C D E F G H
torvanectl --serial $port preset apply |Film Late\ show
torvanectl --serial $port preset show L|Late\ show
torvanectl --serial $port preset |apply delete export import list rename save show
torvanectl --serial $port edid preset 1|1 10 11 12 13 14 15
torvanectl --serial $port edid copy |A B C D E F G H
torvanectl --serial $files/ttyOTHER route |1 2 3 4 5 6 7 8
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
