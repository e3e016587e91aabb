#!/bin/sh
# Test emulator for the Windows builds: runs a Windows program under Wine in
# the project's throw-away prefix. Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
prefix=$1
shift
here=$(dirname "$0")
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The server of a prefix listens on a socket named after the prefix folder's
# device and inode; without it, start a detached persistent one first.
id="server-$(stat -c %D "$prefix" 2>/dev/null)-$(printf %x "$(stat -c %i "$prefix" 2>/dev/null || echo 0)")"
running=
for s in /tmp/wine-*/"$id"/socket /tmp/.wine-"$(id -u)"/"$id"/socket; do
  [ -S "$s" ] && running=1
done
if [ ! -f "$prefix/.ready" ] || [ -z "$running" ]; then
  "$here/wine-prefix.sh" "$prefix"
fi
exec wine "$@"
