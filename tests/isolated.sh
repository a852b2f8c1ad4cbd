#!/bin/sh
# Runs one test with a home, configuration folder, runtime folder and registry of its own,
# made fresh and removed afterwards, so that no test reads or leaves the user's files.
root=$(mktemp -d "${TMPDIR:-/tmp}/tavorin-test-XXXXXX") || exit 1
mkdir -p "$root/home" "$root/config" "$root/run" && chmod 700 "$root/run"
HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" XDG_RUNTIME_DIR="$root/run" \
  TAVORIN_REGISTRY="$root/config/registry.sqlite3" "$@"
code=$?
rm -rf "$root"
exit $code
