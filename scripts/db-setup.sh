#!/usr/bin/env bash
# Makes the database Quorvane stores its readings in reachable: PostgreSQL on
# localhost port 5432, user "postgres" with password "r735519", database
# "quorvane" with the table "invoice" (db/schema.sql). Safe to run again.
# Installed by the package as quorvane-db-setup.
#
# Normally this is a private cluster, owned by whoever runs this (by the
# "postgres" system user when that is root). Its superuser has no password
# and answers only its owner on a private socket; the program's login can
# only store and read readings (db/grants.sql), and every run puts back what
# the login may have changed about itself. A private cluster made by an
# earlier version of this script, whose superuser was the program's login, is
# moved into a new one made this way: only the readings, never code, checked
# by count and checksum, the old data directory left beside it. A run killed
# during the move is finished or undone by the next. A server on port 5432
# that is not ours is used only when no private cluster exists and the
# program's login already works there; otherwise this prints the choices.
#
# --launcher: run by the menu launcher before the program starts. Does
# nothing when a libpq service "quorvane" names the server readings go to,
# says why a first start takes longer, and shows what went wrong in a window.
# Exit status 3: another server has taken the private cluster's port.
set -euo pipefail
# "already exists, skipping" on a second run is no news; dates read and
# written the same way on both sides of a move.
export PGOPTIONS="-c client_min_messages=warning -c DateStyle=ISO"

self=$(dirname "$(readlink -f "$0")")
# shellcheck source=SCRIPTDIR/db-common.sh
. "$self/db-common.sh"
schema=$sql_dir/schema.sql
grants=$sql_dir/grants.sql
# Written once a move's copy is checked; names the earlier data's new place.
journal=$cluster_base/move-checked
# The cluster's owner may not be allowed into the caller's directory.
cd /

# Shows a message in a window when there is a desktop to show it on: a
# warning until it is read, a notice ($1 = notice) for a few seconds.
show_window() {
    local kind=$1 text=$2 zenity=(--warning) xmessage=()
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        return 0
    fi
    if [ "$kind" = notice ]; then
        zenity=(--info --timeout=15)
        xmessage=(-timeout 15)
        if command -v notify-send >/dev/null; then
            notify-send -a Quorvane Quorvane "$text" || true
            return 0
        fi
    fi
    if command -v zenity >/dev/null; then
        zenity "${zenity[@]}" --no-markup --title=Quorvane --text="$text" >/dev/null 2>&1 || true
    elif command -v kdialog >/dev/null; then
        kdialog --title Quorvane --msgbox "$text" >/dev/null 2>&1 || true
    elif command -v xmessage >/dev/null; then
        xmessage -center "${xmessage[@]}" "$text" >/dev/null 2>&1 || true
    fi
}

launcher=false
if [ "${1:-}" = --launcher ]; then
    launcher=true
    if service_configured; then
        exit 0
    fi
    # Quiet when all is well; what went wrong goes to the terminal and a window.
    exec 3>&2
    launcher_log=$(mktemp)
    exec >"$launcher_log" 2>&1
    trap 'status=$?; if [ "$status" -ne 0 ]; then cat "$launcher_log" >&3; show_window warning "$(cat "$launcher_log")"; fi; rm -f "$launcher_log"' EXIT
fi

# Says, when started from the menu, why this start takes longer.
tell_slow_start() {
    if $launcher; then
        echo "Quorvane: $1" >&3
        show_window notice "$1" &
    fi
}

# For the tests of a killed run: dies at the named step.
checkpoint() {
    if [ "${QUORVANE_DB_KILL_AT:-}" = "$1" ]; then
        kill -KILL $$
    fi
}

if [ -z "$pg_bindir" ]; then
    echo "PostgreSQL's server is not installed, so readings cannot be stored on this computer." >&2
    echo "Install the package \"postgresql\" (sudo apt install postgresql), then start Quorvane again." >&2
    exit 1
fi

psql_options=(-X -q -v ON_ERROR_STOP=1)

# Password logins over TCP, as the program makes them.
as_program() {
    PGPASSWORD=$db_password PGCONNECT_TIMEOUT=5 "$pg_bindir/psql" "${psql_options[@]}" \
        -h localhost -p "$db_port" -U "$db_user" "$@"
}

# The private cluster's superuser over the socket in $1.
as_admin_at() {
    local dir=$1
    shift
    as_cluster_user "$pg_bindir/psql" "${psql_options[@]}" -h "$dir" -p "$db_port" -U "$admin_role" "$@"
}

as_admin() {
    as_admin_at "$socket_dir" "$@"
}

# A client program ($1) logged in to the private cluster as the superuser an
# earlier version of this script made: the program's login, with its password.
as_old_superuser() {
    local program=$1
    shift
    as_cluster_user env PGPASSWORD="$db_password" "$pg_bindir/$program" \
        -h "$socket_dir" -p "$db_port" -U "$db_user" "$@"
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

program_ready() {
    as_program -d "$db_name" -At -c "select 1 from invoice limit 0" >/dev/null 2>&1
}

report_ready() {
    echo "Ready: database \"$db_name\" with table \"invoice\" on localhost:$db_port."
}

# Starts the cluster in $1; further arguments go to pg_ctl.
start_cluster() {
    local dir=$1
    shift
    as_cluster_user "$pg_bindir/pg_ctl" -D "$dir" -l "$cluster_base/server.log" -w -t 60 "$@" start >/dev/null
}

stop_cluster() {
    as_cluster_user "$pg_bindir/pg_ctl" -D "$1" -m fast -w -t 60 stop >/dev/null
}

# Makes a cluster in $1 whose superuser $admin_role has no password and logs
# in only as the owner, over the private socket; the program's login reaches
# only its database, over TCP from this machine.
init_cluster() {
    local dir=$1
    as_cluster_user mkdir -p -m 700 "$socket_dir"
    if ! as_cluster_user "$pg_bindir/initdb" -D "$dir" -U "$admin_role" --auth=peer \
        --encoding=UTF8 --locale=C.UTF-8 2>&1 | as_cluster_user tee "$cluster_base/initdb.log" >/dev/null; then
        echo "initdb failed; see $cluster_base/initdb.log" >&2
        return 1
    fi
    as_cluster_user tee "$dir/pg_hba.conf" >/dev/null <<HBA
# Quorvane's private cluster. Its superuser answers only the system account
# that owns the cluster, on the private socket; the program's login reaches
# only its own database, from this machine, with its password.
local all $admin_role peer map=owner
host $db_name $db_user 127.0.0.1/32 scram-sha-256
host $db_name $db_user ::1/128 scram-sha-256
HBA
    as_cluster_user tee "$dir/pg_ident.conf" >/dev/null <<IDENT
owner $cluster_user $admin_role
IDENT
    as_cluster_user tee -a "$dir/postgresql.conf" >/dev/null <<CONF

# Quorvane's private cluster: this machine only, on the port the program uses.
port = $db_port
listen_addresses = 'localhost'
unix_socket_directories = '$socket_dir'
unix_socket_permissions = 0700
CONF
}

reading_columns="funcstr, datavaluestr, unitstr, frastr, create_time"

# The readings' count and a checksum of their contents, or "none" when the
# database has no readings table. $@ runs psql on the database.
readings_fingerprint() {
    local has_table row="concat_ws(E'\\t', $reading_columns)"
    has_table=$("$@" -At -c "select to_regclass('public.invoice') is not null") || return 1
    if [ "$has_table" != t ]; then
        echo none
        return 0
    fi
    "$@" -At -c "select count(*) || ' ' || coalesce(md5(string_agg($row, E'\\n' order by $row)), '')
                 from public.invoice"
}

# Copies the readings from the old cluster (running on the private socket
# only) into the schema of db/schema.sql in the new one on the socket in $1,
# and checks that they arrived unchanged. Only the rows travel: functions,
# triggers and whatever else anyone planted while the old superuser had the
# published password stay behind.
copy_readings() {
    local stage_socket=$1 before after columns=$reading_columns
    as_admin_at "$stage_socket" -d postgres -c "create database $db_name" || return 1
    as_admin_at "$stage_socket" -d "$db_name" -f "$schema" || return 1
    if [ "$(as_old_superuser psql -X -At -d postgres \
        -c "select 1 from pg_database where datname = '$db_name'")" != 1 ]; then
        return 0
    fi
    before=$(readings_fingerprint as_old_superuser psql -X -d "$db_name") || return 1
    if [ "$before" = none ]; then
        return 0
    fi
    # Keys too, so the readings keep their order and the sequence goes on.
    if [ "$(as_old_superuser psql -X -At -d "$db_name" -c "select 1 from pg_attribute
            where attrelid = 'public.invoice'::regclass and attname = 'id' and not attisdropped")" = 1 ]; then
        columns="$columns, id"
    fi
    as_old_superuser psql -X -d "$db_name" -v ON_ERROR_STOP=1 \
        -c "copy (select $columns from public.invoice) to stdout" \
        | as_admin_at "$stage_socket" -d "$db_name" -c "copy invoice ($columns) from stdin" || return 1
    after=$(readings_fingerprint as_admin_at "$stage_socket" -d "$db_name") || return 1
    if [ "$before" != "$after" ]; then
        echo "The copied readings differ from the original ($after instead of $before)." >&2
        return 1
    fi
    echo "Copied ${before%% *} readings."
}

# Brings the private cluster made by an earlier version of this script into
# a new cluster made by init_cluster. The old cluster keeps running until the
# copy is checked, and runs again as before if anything fails. Interrupts are
# not taken until it is done; a kill is made good by the next run
# (recover_interrupted_move).
migrate_old_cluster() {
    local status=0
    trap '' INT TERM HUP
    move_into_new_cluster || status=$?
    trap - INT TERM HUP
    return "$status"
}

move_into_new_cluster() {
    local stage=$cluster_base/pgdata.new stage_socket=$cluster_base/run.new
    local kept
    kept=$cluster_base/pgdata.old-$(date +%Y%m%d-%H%M%S)
    if ! as_old_superuser psql -X -At -d postgres -c "select 1" >/dev/null 2>&1; then
        echo "The private cluster in $pgdata lets neither $admin_role nor user \"$db_user\" log in; it is left as it is." >&2
        return 1
    fi
    echo "The private cluster in $pgdata lets the program's login do anything as its superuser;"
    echo "moving its readings into a new cluster where that login can only store and read readings."
    tell_slow_start "Moving your readings into a safer database; this start takes a little longer."
    discard_stage "$stage" "$stage_socket"
    init_cluster "$stage" || { discard_stage "$stage" "$stage_socket"; return 1; }
    as_cluster_user mkdir -p -m 700 "$stage_socket"
    # Nobody may log in to the new cluster, nor add readings to the old one
    # that the copy would miss, until the copy is checked.
    # The journal is written whole or not at all.
    # shellcheck disable=SC2016
    if start_cluster "$stage" -o "-c listen_addresses='' -k '$stage_socket'" \
        && stop_cluster "$pgdata" && start_cluster "$pgdata" -o "-c listen_addresses=''" \
        && checkpoint copying && copy_readings "$stage_socket" && stop_cluster "$stage" \
        && stop_cluster "$pgdata" && checkpoint copied \
        && as_cluster_user sh -c 'echo "$1" > "$2.tmp" && mv "$2.tmp" "$2"' sh "$kept" "$journal"; then
        checkpoint journal
        if finish_swap "$kept" && start_cluster "$pgdata"; then
            echo "The earlier cluster's data stays in $kept until you remove it."
            return 0
        fi
        echo "The readings were copied, but putting the new cluster in place failed; run $setup_command again to finish." >&2
        return 1
    fi
    echo "Moving the data failed; the earlier cluster runs on as it was." >&2
    discard_stage "$stage" "$stage_socket"
    if cluster_running "$pgdata"; then
        stop_cluster "$pgdata"
    fi
    start_cluster "$pgdata"
    return 1
}

# Puts the checked copy in the private cluster's place and the earlier data
# in $1. Each step is skipped when already done, so a rerun after a kill at
# any point finishes it.
finish_swap() {
    local kept=$1 stage=$cluster_base/pgdata.new
    if [ -d "$stage" ]; then
        if [ -e "$pgdata" ]; then
            as_cluster_user mv "$pgdata" "$kept" || return 1
        fi
        checkpoint renamed-old
        as_cluster_user mv "$stage" "$pgdata" || return 1
    fi
    checkpoint renamed-new
    as_cluster_user rm -rf "$journal" "$cluster_base/run.new"
}

# Makes good a move that a kill stopped: a checked copy is swapped in, an
# unchecked one thrown away, the earlier cluster staying where it was (or
# coming back from where an earlier version of this script had put it).
recover_interrupted_move() {
    local stage=$cluster_base/pgdata.new kept
    if [ -f "$journal" ]; then
        kept=$(as_cluster_user cat "$journal")
        echo "Finishing the move of the readings that an interrupted run left half done."
        if [ -f "$pgdata/PG_VERSION" ] && [ -d "$stage" ] && cluster_running "$pgdata"; then
            stop_cluster "$pgdata"
        fi
        finish_swap "$kept"
        echo "The earlier cluster's data stays in $kept until you remove it."
    elif [ -d "$stage" ]; then
        if [ ! -e "$pgdata" ]; then
            kept=$(find "$cluster_base" -maxdepth 1 -name 'pgdata.old-*' | sort | tail -n 1)
            if [ -n "$kept" ]; then
                as_cluster_user mv "$kept" "$pgdata"
                echo "Put the earlier cluster back from $kept, where an interrupted move had left it."
            fi
        fi
        discard_stage "$stage" "$cluster_base/run.new"
    fi
}

# Removes what a failed or interrupted migration left behind.
discard_stage() {
    if [ -f "$1/PG_VERSION" ] && cluster_running "$1"; then
        stop_cluster "$1"
    fi
    as_cluster_user rm -rf "$1" "$2"
}

make_private_cluster() {
    local stage=$cluster_base/pgdata.new
    echo "Initialising a private PostgreSQL cluster in $pgdata (owner: $cluster_user)."
    tell_slow_start "Making the database for your readings; the first start takes a little longer."
    if [ "$(id -u)" -eq 0 ]; then
        mkdir -p "$cluster_base"
        # Only the parts below the owner's home need handing over.
        if [ -z "${QUORVANE_DB_DIR:-}" ]; then
            chown -R "$cluster_user": "$cluster_home/.local"
        else
            chown "$cluster_user": "$cluster_base"
        fi
    fi
    as_cluster_user mkdir -p "$cluster_base"
    as_cluster_user chmod 700 "$cluster_base"
    as_cluster_user rm -rf "$stage"
    init_cluster "$stage"
    as_cluster_user mv "$stage" "$pgdata"
}

ensure_private_cluster_running() {
    if cluster_running; then
        return 0
    fi
    if ! start_cluster "$pgdata"; then
        echo "The private cluster did not start; see $cluster_base/server.log" >&2
        return 1
    fi
    echo "Started the private cluster (stop it with $stop_command)."
}

prepare_private_cluster() {
    create_database_and_table as_admin
    local set_password=true
    if as_program -d "$db_name" -At -c "select 1" >/dev/null 2>&1; then
        set_password=false
    fi
    as_admin -d "$db_name" -v login="$db_user" -v password="$db_password" -v set_password=$set_password \
        -f "$grants" >/dev/null
    if ! program_ready; then
        echo "User \"$db_user\" cannot log in to the private cluster with the program's password; see $cluster_base/server.log" >&2
        return 1
    fi
    report_ready
}

# What to do about a server on the port that is not ours; the safe routes
# first. $1: how to run psql as that server's superuser.
print_foreign_server_choices() {
    local superuser_psql=$1 cluster version name
    cluster=$(pg_lsclusters -h 2>/dev/null | awk -v port="$db_port" '$3 == port && $4 ~ /^online/ { print $1, $2; exit }' || true)
    cat >&2 <<MSG

The safe ways, where user "$db_user" can only store and read readings:
MSG
    if [ -n "$cluster" ]; then
        read -r version name <<<"$cluster"
        cat >&2 <<MSG
  a) Stop that server (cluster "$version $name") and keep it from starting at
     boot, then run $setup_command again; it starts a private server of its own on
     port $db_port:
       pg_ctlcluster $version $name stop
       echo manual > /etc/postgresql/$version/$name/start.conf
  b) Or keep that server on another port, for example 5433, and let this
     script start the private one on port $db_port:
       pg_conftool $version $name set port 5433
       pg_ctlcluster $version $name restart
     then run $setup_command again.
MSG
    else
        cat >&2 <<MSG
  a) Stop that server, then run $setup_command again; it starts a private server of its
     own on port $db_port.
  b) Or move that server to another port (for example 5433), restart it, and
     run $setup_command again: the private server then takes port $db_port.
MSG
    fi
    cat >&2 <<MSG

Not recommended: giving that server's own superuser "$db_user" the password
"$db_password", which is published with Quorvane. Then anyone on this machine
can log in as the database superuser, read and change every database on that
server, and run programs as the system account the server runs as (for
example with COPY ... TO PROGRAM). Only if you accept that:
  $superuser_psql -p $db_port -c "ALTER USER $db_user PASSWORD '$db_password'"
and make sure the server's pg_hba.conf accepts password logins from
localhost ("host all all 127.0.0.1/32 scram-sha-256" and the same for
::1/128, before any other "host" line), reload it, and run $setup_command again.
MSG
}

# Superuser over the server's own socket (peer authentication), possible when
# this script runs as root on a packaged server.
as_local_superuser() {
    runuser -u postgres -- "$pg_bindir/psql" "${psql_options[@]}" -p "$db_port" "$@"
}

use_foreign_server() {
    if as_program -d postgres -At -c "select 1" >/dev/null 2>&1; then
        create_database_and_table as_program
        report_ready
        return 0
    fi
    if [ "$(id -u)" -eq 0 ] && as_local_superuser -d postgres -At -c "select 1" >/dev/null 2>&1; then
        create_database_and_table as_local_superuser
        if program_ready; then
            report_ready
            return 0
        fi
        cat >&2 <<MSG
A PostgreSQL server that this script did not start answers on port $db_port.
It now has database "$db_name" and table "invoice", but user "$db_user" cannot
log in to it from localhost with the program's password.
MSG
        print_foreign_server_choices "runuser -u postgres -- psql"
        return 1
    fi
    cat >&2 <<MSG
A PostgreSQL server that this script did not start answers on port $db_port,
and this script can log in to it neither as user "$db_user" with the
program's password nor as its superuser. Whoever administers it can create
database "$db_name" and load $schema there.
MSG
    print_foreign_server_choices "sudo -u postgres psql"
    return 1
}

# The uid whose socket listens on TCP port $1 of this machine, as a name.
listening_user() {
    local uid
    uid=$(awk -v port="$(printf ':%04X' "$1")" '$2 ~ port "$" && $4 == "0A" { print $8; exit }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null)
    if [ -n "$uid" ]; then
        getent passwd "$uid" | cut -d: -f1
    fi
}

# Our cluster is stopped and another server holds its port: the program
# would send its readings there, so say whose server it is and stop.
refuse_squatted_port() {
    local data owner
    data=$(as_program -d postgres -At -c "select current_setting('data_directory')" 2>/dev/null \
        || pg_lsclusters -h 2>/dev/null | awk -v port="$db_port" '$3 == port { print $6; exit }' || true)
    owner=$(listening_user "$db_port" || true)
    cat >&2 <<MSG
Another PostgreSQL server answers on port $db_port (data directory: ${data:-not told},
run by: ${owner:-unknown}), while your private cluster in $pgdata is stopped.
The program would send its readings to that server, so it is not used.
Stop that server (or ask whoever runs it to), then run $setup_command again.
MSG
    exit 3
}

recover_interrupted_move
if [ -f "$pgdata/PG_VERSION" ]; then
    if ! cluster_running && server_answers; then
        refuse_squatted_port
    fi
    ensure_private_cluster_running
    if ! as_admin -d postgres -At -c "select 1" >/dev/null 2>&1; then
        migrate_old_cluster
    fi
    prepare_private_cluster
elif server_answers; then
    use_foreign_server
else
    make_private_cluster
    ensure_private_cluster_running
    prepare_private_cluster
fi
