#!/usr/bin/env bash
# Builds MORVANE (Release, without the tests) and packs what `cmake --install` puts in place:
#   tools/package.sh   ->   build/package/morvane_<version>_<arch>.deb
#                           build/package/morvane-<version>-Linux.tar.gz
# The last two lines of the output are the paths of the two packages. The .deb names as its
# maintainer whoever builds it, from DEBFULLNAME and DEBEMAIL (or DEBEMAIL="Name <address>");
# without them it names no contact, and standard error says so.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh linux

build=build/package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF >/dev/null
maintainer=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_MAINTAINER "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
if [[ "$maintainer" == *"<"*"@"*">" ]]; then
  echo "package.sh: the .deb names its maintainer: $maintainer" >&2
else
  echo "package.sh: DEBFULLNAME and DEBEMAIL name no maintainer, so the .deb will carry no contact" \
    "(Maintainer: $maintainer, which lintian reports as malformed-contact)" >&2
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

# Stale packages of another version would otherwise be reported too.
rm -f "$build"/morvane_*.deb "$build"/morvane-*.tar.gz
(cd "$build" && cpack -G "DEB;TGZ" >cpack.log) || { cat "$build/cpack.log" >&2; exit 1; }
for package in "$build"/morvane_*.deb "$build"/morvane-*.tar.gz; do
  if [ ! -f "$package" ]; then
    echo "package.sh: cpack wrote no $package" >&2
    exit 1
  fi
  echo "$(pwd)/$package"
done
