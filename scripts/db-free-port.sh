#!/usr/bin/env bash
# Run as root by the package's maintainer script (installed in
# /usr/lib/quorvane). Installing PostgreSQL's server package makes a cluster
# (for example 15/main) on port 5432 whose bootstrap superuser is "postgres",
# the program's login name. Each user's private Quorvane cluster needs that
# port, and the program must never log in to a superuser. So a cluster on
# 5432 that is still as the package made it (no database, role or table of
# its own) is moved to a free port, once, and this says so. A cluster that
# holds anything of its own is left alone; quorvane-db-setup then tells its
# user the choices.
set -euo pipefail
command -v pg_lsclusters >/dev/null || exit 0
moved=/var/lib/quorvane/moved-clusters
mkdir -p "$(dirname "$moved")"
touch "$moved"

port_in_use() {
    pg_lsclusters -h | awk -v port="$1" '$3 == port { found = 1 } END { exit !found }' \
        || awk -v port="$(printf ':%04X' "$1")" '$2 ~ port "$" && $4 == "0A" { found = 1 } END { exit !found }' \
            /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

still_empty() {
    local version=$1 name=$2 status=$3 owner=$4 data=$5
    case $status in
    online*)
        [ "$(runuser -u "$owner" -- psql --cluster "$version/$name" -X -At -d postgres -c "
            select (select count(*) from pg_database where datname not in ('postgres', 'template0', 'template1'))
                 + (select count(*) from pg_roles where rolname !~ '^pg_' and oid <> 10)
                 + (select count(*) from pg_class where relnamespace = 'public'::regnamespace)")" = 0 ]
        ;;
    *)
        # Stopped: only the three databases every new cluster has.
        [ "$(find "$data/base" -mindepth 1 -maxdepth 1 -type d | wc -l)" -eq 3 ]
        ;;
    esac
}

pg_lsclusters -h | while read -r version name port status owner data _; do
    if [ "$port" != 5432 ] || grep -qx "$version $name" "$moved"; then
        continue
    fi
    if ! still_empty "$version" "$name" "$status" "$owner" "$data"; then
        echo "Quorvane: PostgreSQL's cluster $version/$name on port 5432 holds data of its own and is left alone."
        continue
    fi
    new=5433
    while port_in_use "$new"; do
        new=$((new + 1))
    done
    pg_conftool "$version" "$name" set port "$new"
    case $status in
    online*) pg_ctlcluster "$version" "$name" restart ;;
    esac
    echo "$version $name" >>"$moved"
    cat <<MSG
Quorvane: PostgreSQL's cluster $version/$name was still empty; it now uses port $new,
so that each user's private Quorvane database can use port 5432. To give it
port 5432 back: pg_conftool $version $name set port 5432; pg_ctlcluster $version $name restart
MSG
done
