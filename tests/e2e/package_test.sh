#!/usr/bin/env bash
# Makes the Debian package from the build tree, unpacks it with dpkg -x into a scratch folder and
# checks what a Debian system would get: a package lintian finds no error or warning in; the game,
# its sound library and the whole data directory; a manual page with every option; a copyright file
# naming every notice in the sources; a desktop entry and AppStream metadata that validate and point
# at what the package ships; a dependency for every library a packaged program links; and the
# unpacked game, started as the menu entry names it, finding its data and sound library and drawing
# what the build tree draws.
# Usage: package_test.sh BUILD_DIR CPACK SCRATCH_DIR VERSION
set -euo pipefail
build=$1 cpack=$2 scratch=$3 version=$4

fail() { echo "package test: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli objdump lintian man; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps --tests installs it)"
done

rm -rf "$scratch"
mkdir -p "$scratch/elsewhere"
(cd "$build" && "$cpack" -G DEB -B "$scratch/out") > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
deb="$scratch/out/vantrel_${version}_amd64.deb"
[[ -s "$deb" ]] || fail "cpack made no $(basename "$deb"): $(ls "$scratch/out")"
root="$scratch/root"
dpkg -x "$deb" "$root"

# --- What Debian's checker says
lintian --fail-on error,warning "$deb" > "$scratch/lintian.log" 2>&1 || {
  grep -E '^(E|W): ' "$scratch/lintian.log" >&2 || cat "$scratch/lintian.log" >&2
  fail "lintian finds the errors and warnings above in the package"
}

# --- What is in it
for f in usr/games/vantrel usr/lib/games/vantrel/libezds.so usr/share/icons/hicolor/32x32/apps/vantrel.png \
         usr/share/icons/hicolor/128x128/apps/vantrel.png usr/share/man/man6/vantrel.6.gz; do
  [[ -s "$root/$f" ]] || fail "$f is not in the package"
done
diff -r -x .made-by-vantrel-data "$build/data" "$root/usr/share/vantrel/data" > "$scratch/data.diff" ||
  { head -20 "$scratch/data.diff" >&2; fail "the packaged data directory differs from the build tree's"; }

control() { dpkg-deb --field "$deb" "$1"; }
[[ $(control Package) == vantrel && $(control Version) == "$version" && $(control Architecture) == amd64 ]] ||
  fail "control fields: $(control Package) $(control Version) $(control Architecture)"

# Every shared library a packaged program or library links must come from a package it depends on.
depends=" $(control Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
declare -A linked_by=()
while IFS= read -r elf; do
  for soname in $(objdump -p "$elf" | awk '$1 == "NEEDED" { print $2 }'); do
    linked_by[$soname]=${elf#"$root"/}
  done
done < <(find "$root" -type f \( -name '*.so*' -o -perm -u+x \) -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)
[[ ${#linked_by[@]} -gt 0 ]] || fail "no packaged program links any shared library"
patterns=()
for soname in "${!linked_by[@]}"; do patterns+=("*/x86_64-linux-gnu/$soname"); done
shipped=$(dpkg -S "${patterns[@]}" 2>/dev/null || true)
for soname in "${!linked_by[@]}"; do
  owners=$(awk -v so="$soname" '{ n = split($NF, p, "/"); if (p[n] == so) { sub(/:.*/, "", $1); print $1 } }' \
             <<< "$shipped" | sort -u)
  [[ -n "$owners" ]] || fail "no installed package ships $soname, which ${linked_by[$soname]} links"
  for owner in $owners; do
    [[ "$depends" == *" $owner "* ]] ||
      fail "${linked_by[$soname]} links $soname from $owner, which is not among the dependencies:$depends"
  done
done

# --- The menu entry and the software-centre metadata
desktop="$root/usr/share/applications/vantrel.desktop"
[[ -s "$desktop" ]] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 && -s "${metainfo[0]}" ]] || fail "expected one metainfo file, found: ${metainfo[*]}"
appstreamcli validate --no-net "${metainfo[0]}" || fail "the metainfo does not validate"
id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "${metainfo[0]}")
[[ "$(basename "${metainfo[0]}")" == "$id.metainfo.xml" ]] || fail "the metainfo file is not named after its id $id"
grep -q "<launchable type=\"desktop-id\">vantrel.desktop</launchable>" "${metainfo[0]}" ||
  fail "the metainfo does not launch the packaged desktop entry"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "the metainfo has no release $version"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -s "$root/usr/share/icons/hicolor/128x128/apps/$icon.png" ]] || fail "the entry's icon $icon is not packaged"
read -r -a exec_line <<< "$(sed -n 's/^Exec=//p' "$desktop")"
command=$root/usr/games/${exec_line[0]}
[[ -x "$command" ]] || fail "the entry's command ${exec_line[0]} is not in usr/games"

# --- The manual page and the copyright file
manual=$(MANWIDTH=200 man -l "$root/usr/share/man/man6/vantrel.6.gz" 2>&1)
for option in $("$command" --help | grep -o -E -- '--[a-z-]+' | sort -u); do
  grep -q -- "$option" <<< "$manual" || fail "the manual page does not describe $option"
done
sources=$(cd "$(dirname "$0")/../.." && grep -r -l -i copyright --exclude-dir='build*' --exclude-dir=.git \
            --include='*.cpp' --include='*.h' --include='*.js' .)
for f in $sources; do
  grep -q "^Files:.* ${f#./}\b" "$root/usr/share/doc/vantrel/copyright" ||
    fail "${f#./} carries a copyright notice the package's copyright file does not name"
done

# --- The unpacked game, from another directory, with sound on SDL's disk driver
export SDL_VIDEODRIVER=offscreen
args=(--window --quit-after 30 --fast --seed 3 --screenshot "30:shot.png")
cd "$scratch/elsewhere"
status=0
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw" "$command" "${exec_line[@]:1}" "${args[@]}" || status=$?
[[ $status -eq 1 ]] || fail "the unpacked game ended with $status, not 1"
[[ -s shot.png ]] || fail "the unpacked game drew no frame"
[[ -s "$scratch/audio.raw" ]] || fail "the unpacked game played no sound (its sound library not found?)"
"$build/vantrel" "${args[@]/shot.png/build-shot.png}" --no-sound --data "$build/data" || true
cmp -s shot.png build-shot.png || fail "the unpacked game's picture differs from the build tree's"
echo "package test: $(basename "$deb") passed ($(du -k "$deb" | cut -f1) KiB)"
