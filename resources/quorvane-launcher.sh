#!/bin/sh
# Starts Quorvane in its own directory, where its relative paths
# ("language/", "./plugins", "help.chm" beside the binary) resolve, once the
# user's private database cluster is there and running (quorvane-db-setup,
# which leaves a lab's server named in a libpq service file alone).
cd "$(dirname "$(readlink -f "$0")")/../lib/quorvane" || exit 1
./db-setup.sh --launcher
# 3: another server holds the private cluster's port, and readings would go
# to it. Any other failure was shown; readings are then shown but not stored.
if [ $? -eq 3 ]; then
    exit 1
fi
exec ./quorvane "$@"
