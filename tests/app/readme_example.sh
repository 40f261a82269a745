#!/usr/bin/env bash
# The README's script example runs as printed: its script and its command line are taken from
# README.md at test time, the command run with this build's program, and the run does what
# the script's comments say.
#   readme_example.sh README.md PETALWING
set -euo pipefail
readme=$1 program=$(realpath "$2")

fail() {
  echo "readme_example: $*" >&2
  exit 1
}
# The n-th fenced block after the scripts' heading.
block() {
  awk -v want="$1" '
    /^### Scripts for the virtual desktop/ { inside = 1; next }
    inside && /^```/ { if (open) { open = 0; n++; if (n == want) exit } else open = 1; next }
    inside && open && n + 1 == want { print }
  ' "$readme"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
script=$(block 1)
command=$(block 2)
name=$(grep -o -- '--script [^ ]*' <<<"$command" | cut -d' ' -f2)
[ -n "$script" ] && [ -n "$name" ] || fail "no script example and command in $readme"
[ "${command%% *}" = build/default/petalwing ] || fail "the command runs ${command%% *}"
printf '%s\n' "$script" >"$work/$name"
cd "$work"
read -r -a words <<<"${command#* }"
"$program" "${words[@]}" || fail "the README's command failed with code $?"

trace=$(grep -o -- '--trace [^ ]*' <<<"$command" | cut -d' ' -f2)
shot=$(grep -o -- '--shot [^ ]*' <<<"$command" | cut -d' ' -f2 | cut -d: -f2)
grep -q '"phase":"play"' "$trace" || fail "the game never started"
[ "$(grep -c '"ev":"dialog"' "$trace")" = 2 ] || fail "the version dialog did not open and close"
grep -q '"ev":"command","item":"終了"' "$trace" || fail "the menu did not quit"
tail -1 "$trace" | grep -q '"ev":"end"' || fail "the run did not end at the quit"
[ -s "$shot" ] || fail "no picture $shot"
