#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed game from another directory:
# it must find its data and sound library there and draw the same picture as the build tree.
# Usage: install_test.sh BUILD_DIR CMAKE SCRATCH_DIR
set -euo pipefail
build=$1 cmake=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/elsewhere"
"$cmake" --install "$build" --prefix "$scratch/prefix" > "$scratch/install.log"

fail() { echo "install test: $*" >&2; exit 1; }
for f in bin/vantrel lib/vantrel/libezds.so share/vantrel/data/s5.au1 share/vantrel/data/map1.hd \
         share/applications/vantrel.desktop share/icons/hicolor/32x32/apps/vantrel.png \
         share/icons/hicolor/128x128/apps/vantrel.png; do
  [[ -s "$scratch/prefix/$f" ]] || fail "$f was not installed"
done
[[ ! -e "$scratch/prefix/share/vantrel/data/.made-by-vantrel-data" ]] || fail "the build stamp was installed"
grep -qx 'Exec=vantrel' "$scratch/prefix/share/applications/vantrel.desktop" || fail "desktop entry without Exec"

export SDL_VIDEODRIVER=offscreen
args=(--window --no-sound --quit-after 30 --fast --seed 3 --screenshot "30:shot.png")
cd "$scratch/elsewhere"
status=0
"$scratch/prefix/bin/vantrel" "${args[@]}" || status=$?
[[ $status -eq 1 ]] || fail "the installed game ended with $status, not 1"
[[ -s shot.png ]] || fail "the installed game drew no frame"
"$build/vantrel" "${args[@]/shot.png/build-shot.png}" --data "$build/data" || true
cmp -s shot.png build-shot.png || fail "the installed game's picture differs from the build tree's (data not found?)"
echo "install test: passed"
