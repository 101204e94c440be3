#!/usr/bin/env bash
# Stops the private PostgreSQL cluster that the set-up command started. A
# server this script did not start is left alone. Safe to run again.
set -euo pipefail

self=$(dirname "$(readlink -f "$0")")
# shellcheck source=SCRIPTDIR/db-common.sh
. "$self/db-common.sh"
# The cluster's owner may not be allowed into the caller's directory.
cd /

if [ -z "$pg_bindir" ] || [ ! -f "$pgdata/PG_VERSION" ]; then
    echo "No private cluster in $pgdata; nothing to stop."
    exit 0
fi
if ! cluster_running "$pgdata"; then
    echo "The private cluster in $pgdata is not running."
    exit 0
fi
as_cluster_user "$pg_bindir/pg_ctl" -D "$pgdata" -m fast -w stop >/dev/null
echo "Stopped the private cluster in $pgdata."
