#!/bin/sh
# Creates (once) the throw-away Wine prefix the Windows tests run in and starts
# a persistent wineserver for it with its output detached, so that the server
# and Wine's helper processes never hold a test runner's output pipe open.
# Usage: wine-prefix.sh PREFIX [stop|x11]
# With x11 the prefix draws with X (for pictures taken under Xvfb) instead of
# the null graphics driver.
set -e
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${2:-}" = stop ]; then
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi
mkdir -p "$(dirname "$prefix")"
# mkdir is atomic: only one of several parallel callers creates the prefix.
while ! mkdir "$prefix.lock" 2>/dev/null; do sleep 0.2; done
trap 'rmdir "$prefix.lock"' EXIT
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  WINEARCH=win64 wineboot -i </dev/null >/dev/null 2>&1
  if [ "${2:-}" = x11 ]; then
    # Without a window manager Wine draws the title bars itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  else
    # The null graphics driver: windows and message boxes exist and can be
    # driven from another process, without an X display.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  fi
  # A crash ends the process with its exception code instead of starting a
  # debugger that can hang and keep the tests' pipes open.
  for view in 32 64; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f \
      /reg:$view </dev/null >/dev/null 2>&1
  done
  wineserver -w
  touch "$prefix/.ready"
fi
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
