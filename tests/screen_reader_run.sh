#!/usr/bin/env bash
# screen_reader_run.sh TEST [ARGS...]: runs a GUI test as under a screen reader, on a virtual X
# screen with an accessibility (AT-SPI) bus in a private D-Bus session and Qt's bridge always
# on. The widgets then send their accessibility updates, which ask the item models about rows
# and columns at moments the offscreen platform never reaches (it has no accessibility bridge,
# so there QAccessible::isActive() stays false whatever a test sets). Exits 77, a skip for
# ctest, when the tools are missing.
set -u
launcher=/usr/libexec/at-spi-bus-launcher
if ! command -v dbus-run-session >/dev/null || ! command -v xvfb-run >/dev/null ||
    [ ! -x "$launcher" ]; then
    echo "dbus-run-session, xvfb-run ou $launcher ausente: teste pulado"
    exit 77
fi
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
exec dbus-run-session -- bash -c '
    "$0" >/dev/null 2>&1 &
    bus=$!
    trap "kill $bus 2>/dev/null" EXIT
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"' "$launcher" "$@"
