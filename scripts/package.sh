#!/usr/bin/env bash
# Builds Corvalen and its Debian package, left as build/corvalen_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
rm -f corvalen_*.deb
cpack -G DEB > cpack.log || { cat cpack.log; exit 1; }
ls "$PWD"/corvalen_*.deb
