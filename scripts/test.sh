#!/usr/bin/env bash
# Builds Corvalen and runs the whole test suite (GUI tests on Qt's offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600
