#!/usr/bin/env bash
# Checks the package scripts/package.sh built with lintian, Debian's package checker, at every
# level it reports (errors, warnings, information, pedantic and experimental tags): any tag
# fails. The .changes takes in the packages, the debug symbols one too, and the .buildinfo.
# Usage: scripts/lintian-check.sh [directory holding the .changes, default build-pkg]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-pkg}

scripts/deps.sh lintian
shopt -s nullglob
changes=("$dir"/roteka_*.changes)
debs=("$dir"/roteka_*.deb)
if [ ${#changes[@]} -eq 0 ] || [ ${#debs[@]} -eq 0 ]; then
  echo "lintian-check: no roteka .changes and .deb in $dir; run scripts/package.sh first" >&2
  exit 1
fi
lintian --pedantic --display-info --display-experimental \
  --fail-on error,warning,info,pedantic,experimental "${changes[@]}" "${debs[@]}"
echo "lintian: no tags for ${changes[*]} ${debs[*]}"
