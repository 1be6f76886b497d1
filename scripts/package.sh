#!/usr/bin/env bash
# Builds the Debian package build-pkg/roteka_<version>_<arch>.deb with CPack from a Release
# build in build-pkg/. Install it with: sudo apt-get install ./build-pkg/roteka_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh dpkg-dev
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DROTEKA_BUILD_TESTS=OFF -DROTEKA_BUILD_BENCH=OFF
cmake --build build-pkg -j"$(nproc)"
rm -f build-pkg/roteka_*.deb
(cd build-pkg && cpack -G DEB)
for deb in build-pkg/roteka_*.deb; do
  dpkg-deb --field "$deb"
  echo "Built $deb"
done
