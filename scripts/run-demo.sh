#!/usr/bin/env bash
# Builds Corvalen, prepares a demo data folder (demo-data/, once) and starts the program in
# it, from the program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export CORVALEN_COMMON_APPDATA="$PWD/demo-data"
data="$CORVALEN_COMMON_APPDATA/Talvane/Corvalen"
if [ ! -f "$data/med.mdb" ]; then
    build/program/corvalen-prepare "$data"
    build/program/corvalen-generate demo "$data"
fi
cd build/program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Sem tela gráfica: iniciando sob Xvfb (defina DISPLAY para usar a sua)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" ./corvalen
fi
exec ./corvalen
