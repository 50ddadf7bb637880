#!/usr/bin/env bash
# The desktop build and the browser build's WebAssembly (under node) run the five missions from
# the title screen with the computer pilot flying the player, 1,000 mission ticks each, and
# must compute the same World after every tick. On a difference it names the first tick that
# differs and the fields of the World that differ after it.
# Usage: world_hashes_match.sh NATIVE_PROGRAM WASM_PROGRAM.js DATA_DIR
set -euo pipefail
native=$1 wasm=$2 data=$3
ticks=${VANTREL_WEB_HASH_TICKS:-1000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for situation in 1 2 3 4 5; do
  "$native" "$data" "$situation" "$ticks" > "$scratch/native"
  node "$wasm" "$data" "$situation" "$ticks" > "$scratch/wasm"
  lines=$(wc -l < "$scratch/native")
  if (( lines < 100 )); then
    echo "situation $situation: the desktop run stopped after $lines ticks"
    status=1
    continue
  fi
  if cmp -s "$scratch/native" "$scratch/wasm"; then
    echo "situation $situation: $lines ticks, same worlds, last $(tail -n 1 "$scratch/native")"
    continue
  fi
  status=1
  first=$(diff <(cut -d' ' -f1-2 "$scratch/native") <(cut -d' ' -f1-2 "$scratch/wasm") | grep -m1 '^<' | cut -d' ' -f2 || true)
  echo "situation $situation: the worlds part at tick ${first:-?} (desktop $(wc -l < "$scratch/native") lines, browser $(wc -l < "$scratch/wasm"))"
  if [[ -n "$first" ]]; then
    "$native" "$data" "$situation" "$ticks" --json-at "$first" | tr ',' '\n' > "$scratch/native.json"
    node "$wasm" "$data" "$situation" "$ticks" --json-at "$first" | tr ',' '\n' > "$scratch/wasm.json"
    if cmp -s "$scratch/native.json" "$scratch/wasm.json"; then
      echo "  no printed field differs: the generator state, the key snapshots or the height grid do"
    else
      diff "$scratch/native.json" "$scratch/wasm.json" | head -n 20 || true
    fi
  fi
done
exit $status
