#!/bin/sh
# Starts Quorvane in its own directory, where its relative paths
# ("language/", "./plugins", "help.chm" beside the binary) resolve.
cd "$(dirname "$(readlink -f "$0")")/../lib/quorvane" || exit 1
exec ./quorvane "$@"
