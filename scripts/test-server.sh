#!/usr/bin/env bash
# A private PostgreSQL server for the test run, reached only through a Unix socket in a
# temporary folder of its own.
#
#   test-server.sh start STATE_FILE   initdb into a new temporary folder, start the server and
#                                     write its connection string into STATE_FILE
#   test-server.sh stop STATE_FILE    stop that server and remove its folder and STATE_FILE
#   test-server.sh pause STATE_FILE   stop that server, keeping its data
#   test-server.sh resume STATE_FILE  start it again
#
# The server refuses to run as root: run as root (CI), it runs under the unprivileged account
# "postgres" that Debian's postgresql package creates (or "nobody").
set -euo pipefail

action=${1:?start ou stop}
state=${2:?arquivo de estado}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "PostgreSQL não está instalado (scripts/install-deps.sh)" >&2
    exit 1
fi

as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        local account=postgres
        id -u "$account" >/dev/null 2>&1 || account=nobody
        runuser -u "$account" -- "$@"
    else
        "$@"
    fi
}

stop() {
    [ -f "$state" ] || return 0
    local folder
    folder=$(folder_of)
    if [ -n "$folder" ] && [ -d "$folder/data" ]; then
        as_server "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf "$folder"
    fi
    rm -f "$state"
}

folder_of() { sed -n 's/^# pasta=//p' "$state"; }

run_server() {
    local folder=$1
    # Durability is not what the tests measure: fsync off keeps the many small databases quick.
    as_server "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-k $folder -c listen_addresses='' -c fsync=off -c full_page_writes=off -c max_connections=200" \
        start >/dev/null ||
        { cat "$folder/server.log" >&2; return 1; }
}

case "$action" in
pause)
    as_server "$bindir/pg_ctl" -D "$(folder_of)/data" -m fast -w stop >/dev/null
    ;;
resume)
    run_server "$(folder_of)"
    ;;
start)
    stop # a server left by an interrupted run
    folder=$(mktemp -d /tmp/corvalen-pg.XXXXXX)
    if [ "$(id -u)" -eq 0 ]; then
        account=postgres
        id -u "$account" >/dev/null 2>&1 || account=nobody
        chown "$account" "$folder"
    fi
    as_server "$bindir/initdb" -D "$folder/data" -U corvalen --auth=trust -E UTF8 \
        --locale=C.UTF-8 --no-sync >"$folder/initdb.log" 2>&1 ||
        { cat "$folder/initdb.log" >&2; rm -rf "$folder"; exit 1; }
    run_server "$folder" || { rm -rf "$folder"; exit 1; }
    printf 'host=%s port=5432 user=corvalen dbname=postgres\n# pasta=%s\n' "$folder" "$folder" >"$state"
    ;;
stop)
    stop
    ;;
*)
    echo "uso: test-server.sh start|stop ARQUIVO_DE_ESTADO" >&2
    exit 2
    ;;
esac
