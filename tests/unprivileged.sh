#!/bin/sh
# Runs a test program as root without root's powers over files, so that modes
# count as they do for any user. Skipped (77) where those powers cannot be
# dropped, and for a user, whose runs are that already.
[ "$(id -u)" -eq 0 ] || exit 77
drop="setpriv --inh-caps=-all --bounding-set=-all"
$drop true 2>/dev/null || exit 77
# A run that kept the powers would pass where a user's fails: that fails here.
probe=$(mktemp) || exit 1
chmod 0400 "$probe"
if $drop sh -c ': > "$1"' sh "$probe" 2>/dev/null; then
    rm -f "$probe"
    echo "unprivileged.sh: a read-only file can still be written after the drop" >&2
    exit 1
fi
rm -f "$probe"
# The test program checks for itself that it runs without them.
export KESTROVA_UNPRIVILEGED=1
exec $drop "$@"
