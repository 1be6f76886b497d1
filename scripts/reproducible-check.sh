#!/usr/bin/env bash
# Checks that the Debian packages build bit for bit the same from two checkouts of the same
# commit in differently named directories (of different lengths, cloned at different times):
# clones the checked-out commit twice, runs scripts/package.sh in each without the tests, and
# compares every .deb and .ddeb byte by byte. When any differs, diffoscope (from Debian,
# installed if missing) shows how, and the script fails. The clones are removed at the end
# unless --keep is given.
# Usage: scripts/reproducible-check.sh [--keep]
set -euo pipefail
cd "$(dirname "$0")/.."

keep=
[ "${1:-}" = "--keep" ] && keep=1
commit=$(git rev-parse HEAD)
git diff --quiet HEAD || echo "note: uncommitted changes are not part of the check ($commit)" >&2

base=$(mktemp -d "${TMPDIR:-/tmp}/roteka-repro.XXXXXX")
[ -n "$keep" ] || trap 'rm -rf "$base"' EXIT
trees=("$base/a" "$base/second-checkout-elsewhere")
for tree in "${trees[@]}"; do
  git clone -q --no-local . "$tree"
  git -C "$tree" checkout -q --detach "$commit"
  echo "== building the packages in $tree"
  (cd "$tree" && DEB_BUILD_OPTIONS=nocheck scripts/package.sh >"$base/$(basename "$tree").log" 2>&1) ||
    { trap - EXIT; echo "the package build in $tree failed: $base/$(basename "$tree").log" >&2; exit 1; }
done

differ=()
count=0
for first in "${trees[0]}"/build-pkg/*.deb "${trees[0]}"/build-pkg/*.ddeb; do
  [ -e "$first" ] || continue
  name=$(basename "$first")
  second=${trees[1]}/build-pkg/$name
  count=$((count + 1))
  if [ -e "$second" ] && cmp -s "$first" "$second"; then
    echo "same: $name ($(sha256sum <"$first" | cut -c1-16))"
  else
    echo "DIFFERENT: $name"
    differ+=("$name")
  fi
done
[ "$count" -gt 0 ] || { echo "no packages were built" >&2; exit 1; }

if [ ${#differ[@]} -ne 0 ]; then
  scripts/deps.sh diffoscope
  for name in "${differ[@]}"; do
    diffoscope --text "$base/diffoscope-$name.txt" \
      "${trees[0]}/build-pkg/$name" "${trees[1]}/build-pkg/$name" || true
    echo "how $name differs: $base/diffoscope-$name.txt"
  done
  trap - EXIT
  echo "not reproducible: ${differ[*]} (the clones are kept in $base)" >&2
  exit 1
fi
echo "reproducible: $count packages of $commit the same from $(basename "${trees[0]}") and" \
  "$(basename "${trees[1]}")"
