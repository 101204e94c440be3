# shellcheck shell=bash disable=SC2034,SC2154
# Shared by db-setup.sh and db-stop.sh (sourced, not run; $self is the
# directory they are in). Where Quorvane's private PostgreSQL cluster lives,
# who runs it, and where the SQL files are: db/ in the source tree,
# /usr/share/quorvane when installed by the package (the scripts themselves
# in /usr/lib/quorvane, run as quorvane-db-setup and quorvane-db-stop).
if [ -f "$self/../db/schema.sql" ]; then
    sql_dir=$(cd "$self/../db" && pwd)
    setup_command=scripts/db-setup.sh
    stop_command=scripts/db-stop.sh
else
    sql_dir=$(cd "$self/../../share/quorvane" && pwd)
    setup_command=quorvane-db-setup
    stop_command=quorvane-db-stop
fi

# The settings the program connects with; fixed in the program. The port and
# the cluster's directory can be moved for the tests, which must never touch
# a real server or cluster.
db_port=${QUORVANE_DB_PORT:-5432}
db_user=postgres
db_password=r735519
db_name=quorvane

# The private cluster's own superuser. It has no password and logs in only
# over the cluster's private socket, as the system account that owns it.
admin_role=quorvane_admin

# The newest installed server version's programs (Debian keeps initdb and
# pg_ctl out of PATH), else whatever PATH has.
pg_bindir=
for dir in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -t/ -k5 -n -r); do
    if [ -x "$dir/initdb" ]; then
        pg_bindir=$dir
        break
    fi
done
if [ -z "$pg_bindir" ] && command -v initdb >/dev/null; then
    pg_bindir=$(dirname "$(command -v initdb)")
fi

# The server refuses to run as root, so root's cluster belongs to the
# "postgres" system user and lives under that user's data directory (root's
# own home is not reachable by it). Anyone else owns and runs their own.
if [ "$(id -u)" -eq 0 ]; then
    cluster_user=postgres
    cluster_home=$(getent passwd "$cluster_user" | cut -d: -f6)
    cluster_base=${QUORVANE_DB_DIR:-$cluster_home/.local/share/quorvane}
else
    cluster_user=$(id -un)
    cluster_base=${QUORVANE_DB_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/quorvane}
fi
pgdata=$cluster_base/pgdata
socket_dir=$cluster_base/run

# Runs a command as the cluster's owner.
as_cluster_user() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$cluster_user" -- "$@"
    else
        "$@"
    fi
}

# Whether the cluster in $1 (default: the private one) is running.
cluster_running() {
    as_cluster_user "$pg_bindir/pg_ctl" -D "${1:-$pgdata}" status >/dev/null 2>&1
}

# Whether a libpq service file (PGSERVICEFILE or ~/.pg_service.conf, else the
# system's) has the section "quorvane": the program then sends its readings
# to the server named there and needs no private cluster.
service_configured() {
    local file
    for file in "${PGSERVICEFILE:-${HOME:-/nonexistent}/.pg_service.conf}" \
        "${PGSYSCONFDIR:-/etc/postgresql-common}/pg_service.conf"; do
        if [ -r "$file" ] && grep -Eq '^[[:space:]]*\[quorvane\][[:space:]]*$' "$file"; then
            return 0
        fi
    done
    return 1
}
