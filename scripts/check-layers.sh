#!/usr/bin/env bash
# Every room of src/ includes only rooms below it. Prints each include that points up or
# sideways between rooms and fails if there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Bottom to top; rooms on one line stand side by side and may not include each other.
order=(platform windows store game rgn "combat boss ending" driver autopilot app)
declare -A level
for i in "${!order[@]}"; do
  for room in ${order[$i]}; do level[$room]=$i; done
done
# Generated art tables sit beside the platform, below every room of the game.
level[art]=0

bad=0
for room in "${!level[@]}"; do
  [ -d "$room" ] || continue
  while IFS=: read -r file _ target; do
    [ "$target" = "$room" ] && continue
    if [ -z "${level[$target]+x}" ] || [ "${level[$target]}" -ge "${level[$room]}" ]; then
      echo "check-layers: $file includes $target/, which is not below $room/" >&2
      bad=1
    fi
  done < <(grep -rnoE '#include "[a-z_0-9]+/' "$room" | sed -E 's#:[0-9]+:#::#; s#::\#include "([a-z_0-9]+)/#:x:\1#')
done
[ "$bad" -eq 0 ] && echo "check-layers: every include points down"
exit "$bad"
