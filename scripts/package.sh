#!/usr/bin/env bash
# Builds the Debian package with Debian's own tooling (debian/, dpkg-buildpackage, debhelper)
# and prints where it is: build-pkg/roteka_<version>_<arch>.deb, beside the debug symbols
# package, the .buildinfo and the .changes. The test suite runs during the build;
# DEB_BUILD_OPTIONS=nocheck skips it (and leaves the tests unbuilt).
# Install the package with: sudo apt-get install ./build-pkg/roteka_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh dpkg-dev
# The packages only the tests need are left out under nocheck (the build profile of that name).
profile=
case " ${DEB_BUILD_OPTIONS:-} " in
*" nocheck "*) profile=nocheck ;;
esac

# dpkg-buildpackage writes into the parent of the tree it builds and leaves build files in the
# tree, so it builds a copy in build-pkg/: nothing lands outside the checkout or in the sources.
out=build-pkg
tree=$out/roteka-$(dpkg-parsechangelog -S Version)
rm -rf "$out"
mkdir -p "$tree"
tar --exclude-vcs --exclude='./build*' --exclude='./obj-*' -cf - . | tar -xf - -C "$tree"
cd "$tree"

# The build dependencies are the ones debian/control lists.
if ! dpkg-checkbuilddeps ${profile:+-P "$profile"} 2>/dev/null; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get build-dep -y --no-install-recommends ${profile:+-P "$profile"} ./
fi

dpkg-buildpackage -us -uc -b ${profile:+--build-profiles="$profile"}
cd - >/dev/null
rm -rf "$tree"
for deb in "$out"/roteka_*.deb; do
  dpkg-deb --field "$deb"
  echo "Built $deb"
done
