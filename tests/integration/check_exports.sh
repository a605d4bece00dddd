#!/bin/sh
# The player finds the entry by ordinal 6: that ordinal must carry the
# undecorated name iTunesPluginMain.
# usage: check_exports.sh OBJDUMP DLL
set -eu
objdump=$1
dll=$2
"$objdump" -p "$dll" | awk '
    /^Ordinal Base/ { base = $3 }
    /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
    names && /^[[:space:]]*$/ { names = 0 }
    names && match($0, /\[ *[0-9]+\]/) {
        index_text = substr($0, RSTART + 1, RLENGTH - 2)
        gsub(/ /, "", index_text)
        name = substr($0, RSTART + RLENGTH)
        gsub(/^[[:space:]]+|[[:space:]]+$/, "", name)
        ordinal = index_text + base
        print "ordinal " ordinal ": " name
        if (ordinal == 6 && name == "iTunesPluginMain") found = 1
    }
    END {
        if (!found) { print "ordinal 6 is not iTunesPluginMain" > "/dev/stderr"; exit 1 }
    }'
