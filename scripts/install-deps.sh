#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Corvalen need.
# Quick when everything is already there.
set -euo pipefail

# libwmf's pkg-config file names libraries (-lexpat -ljpeg -lpng -lfreetype -lX11 -lz) whose
# development packages libwmf-dev does not pull in; they are listed here after it.
# The Debian package (scripts/package.sh and its test) needs dpkg-dev and file for its
# dependencies (dpkg-shlibdeps), appstream and desktop-file-utils to check its menu entry.
# dbus-daemon and at-spi2-core run GUI tests again as under a screen reader
# (tests/screen_reader_run.sh). qpdf makes the password-protected PDF that the exam window's
# tests open.
# libqt6sql6-psql and libpq-dev reach a PostgreSQL server (a clinic with several computers);
# postgresql runs the tests' private server (scripts/test-server.sh).
packages=(g++ make cmake ninja-build pkg-config qt6-base-dev qt6-pdf-dev qt6-svg-dev
          libqt6sql6-sqlite libsqlite3-dev sqlite3 libzip-dev libemf2svg-dev
          libqt6sql6-psql libpq-dev postgresql
          libwmf-dev libexpat1-dev libjpeg-dev libpng-dev libfreetype-dev libx11-dev zlib1g-dev
          xvfb xauth dbus-daemon at-spi2-core zip unzip poppler-utils qpdf
          fonts-dejavu-core fonts-liberation fonts-urw-base35 fonts-wine
          dpkg-dev file appstream desktop-file-utils)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Instalando: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
