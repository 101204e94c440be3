#!/usr/bin/env bash
# Makes the database Quorvane stores its readings in reachable: PostgreSQL on
# localhost port 5432, user "postgres" with password "r735519", database
# "quorvane" with the table "invoice" (db/schema.sql). Safe to run again.
#
# If a server already answers on port 5432 it is used: the database and the
# table are created when this script can log in; otherwise it prints what to
# do. If none answers, a private cluster is initialised (once) and started,
# listening on localhost only with password authentication; scripts/db-stop.sh
# stops it.
set -euo pipefail
# "already exists, skipping" on a second run is no news.
export PGOPTIONS="-c client_min_messages=warning"

here=$(cd "$(dirname "$0")/.." && pwd)
schema=$here/db/schema.sql
. "$here/scripts/db-common.sh"

if [ -z "$pg_bindir" ]; then
    echo "PostgreSQL's server programs are missing; run scripts/install-deps.sh first." >&2
    exit 1
fi

# Password logins over TCP, as the program makes them.
as_program() {
    PGPASSWORD=$db_password PGCONNECT_TIMEOUT=5 "$pg_bindir/psql" -X -q -v ON_ERROR_STOP=1 \
        -h localhost -p "$db_port" -U "$db_user" "$@"
}

# Creates the database if missing and loads the schema (which leaves an
# existing table alone). $1 runs psql with the given arguments.
create_database_and_table() {
    local run=$1
    if [ "$($run -d postgres -At -c "select 1 from pg_database where datname = '$db_name'")" != 1 ]; then
        $run -d postgres -c "create database $db_name"
        echo "Created database \"$db_name\"."
    fi
    $run -d "$db_name" -f "$schema"
}

server_answers() {
    "$pg_bindir/pg_isready" -q -h localhost -p "$db_port"
}

# Superuser over the server's own socket (peer authentication), possible when
# this script runs as root on a packaged server.
as_local_superuser() {
    runuser -u postgres -- "$pg_bindir/psql" -X -q -v ON_ERROR_STOP=1 -p "$db_port" "$@"
}

use_running_server() {
    if as_program -d postgres -At -c "select 1" >/dev/null 2>&1; then
        create_database_and_table as_program
        echo "Ready: database \"$db_name\" with table \"invoice\" on localhost:$db_port."
        return 0
    fi
    if [ "$(id -u)" -eq 0 ] && as_local_superuser -d postgres -At -c "select 1" >/dev/null 2>&1; then
        create_database_and_table as_local_superuser
        if as_program -d "$db_name" -At -c "select 1 from invoice limit 0" >/dev/null 2>&1; then
            echo "Ready: database \"$db_name\" with table \"invoice\" on localhost:$db_port."
            return 0
        fi
        cat >&2 <<MSG
The server on port $db_port now has database "$db_name" and table "invoice",
but it does not let user "$db_user" log in from localhost with password
"$db_password". Changing that changes the server's own account, so it is left
to you:
  1. Give the user that password:
       runuser -u postgres -- psql -p $db_port -c "ALTER USER $db_user PASSWORD '$db_password'"
  2. Make sure the server's pg_hba.conf accepts password logins from localhost,
     with lines like these before any other "host" line:
       host all all 127.0.0.1/32 scram-sha-256
       host all all ::1/128      scram-sha-256
     then reload it:  runuser -u postgres -- psql -p $db_port -c "select pg_reload_conf()"
  3. Run $0 again.
MSG
        return 1
    fi
    cat >&2 <<MSG
A PostgreSQL server answers on port $db_port, but this script cannot log in to it
as user "$db_user" with password "$db_password", nor as its superuser.
Either stop that server and run $0 again (it then starts a private one),
or, as a user who administers that server (for example with sudo), run:
  sudo -u postgres psql -p $db_port -c "ALTER USER $db_user PASSWORD '$db_password'"
  sudo -u postgres psql -p $db_port -c "CREATE DATABASE $db_name"
  sudo -u postgres psql -p $db_port -d $db_name -f "$schema"
and make sure the server's pg_hba.conf accepts password logins from localhost
(e.g. "host all all 127.0.0.1/32 scram-sha-256"), then run $0 again.
MSG
    return 1
}

init_private_cluster() {
    if [ -f "$pgdata/PG_VERSION" ]; then
        return 0
    fi
    echo "Initialising a private PostgreSQL cluster in $pgdata (owner: $cluster_user)."
    mkdir -p "$cluster_base/run"
    if [ "$(id -u)" -eq 0 ]; then
        # Only the parts below the owner's home need handing over.
        chown -R "$cluster_user": "$cluster_home/.local"
    fi
    chmod 700 "$cluster_base"
    local pwfile
    pwfile=$(as_cluster_user mktemp "$cluster_base/pw.XXXXXX")
    printf '%s\n' "$db_password" | as_cluster_user tee "$pwfile" >/dev/null
    if ! as_cluster_user "$pg_bindir/initdb" -D "$pgdata" -U "$db_user" --pwfile="$pwfile" \
        --auth=scram-sha-256 --encoding=UTF8 --locale=C.UTF-8 2>&1 | as_cluster_user tee "$cluster_base/initdb.log" >/dev/null; then
        rm -f "$pwfile"
        echo "initdb failed; see $cluster_base/initdb.log" >&2
        return 1
    fi
    rm -f "$pwfile"
    as_cluster_user tee -a "$pgdata/postgresql.conf" >/dev/null <<CONF

# Quorvane's private cluster: this machine only, on the port the program uses.
port = $db_port
listen_addresses = 'localhost'
unix_socket_directories = '$cluster_base/run'
CONF
}

start_private_cluster() {
    if as_cluster_user "$pg_bindir/pg_ctl" -D "$pgdata" status >/dev/null 2>&1; then
        return 0
    fi
    as_cluster_user mkdir -p "$cluster_base/run"
    if ! as_cluster_user "$pg_bindir/pg_ctl" -D "$pgdata" -l "$cluster_base/server.log" -w -t 60 start >/dev/null; then
        echo "The private cluster did not start; see $cluster_base/server.log" >&2
        return 1
    fi
    echo "Started the private cluster (stop it with scripts/db-stop.sh)."
}

if server_answers; then
    use_running_server
else
    init_private_cluster
    start_private_cluster
    use_running_server
fi
