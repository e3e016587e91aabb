#!/bin/sh
# Photographs the launcher's two dialogs and its splash picture as a user sees them: under Xvfb, in a
# Wine prefix of its own that draws with X (the test prefix draws nothing).
# The pictures are kept as test artifacts; the run fails when a dialog does
# not appear or its picture is blank.
#   take.sh BIN_DIR OUT_DIR PREFIX
set -eu
mkdir -p "$2" "$(dirname "$3")"
bin=$(cd "$1" && pwd)
out=$(cd "$2" && pwd)
prefix=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1366x768x24 -nolisten tcp" sh "$here/take.sh" "$bin" "$out" "$prefix"
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/../../../cmake/wine-prefix.sh" "$prefix" x11

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# shot PATTERN FILE [MIN]: waits for the window whose line in xwininfo's tree
# holds PATTERN (its quoted title, or its geometry), lets it paint,
# photographs it. A picture with fewer colours than MIN (8 unless given) is
# taken for blank.
shot() {
  id=
  for i in $(seq 150); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F -- "$1" | head -n 1 | awk '{print $1}')
    [ -n "$id" ] && break
    sleep 0.2
  done
  if [ -z "$id" ]; then
    echo "the window $1 did not appear" >&2
    return 1
  fi
  sleep 2
  timeout 30 /usr/bin/import -window "$id" "$out/$2"
  colours=$(/usr/bin/convert "$out/$2" -format %k info:)
  echo "$out/$2: $colours colours"
  [ "$colours" -ge "${3:-8}" ]
}

# No runtime anywhere: the runtime-not-found dialog.
mkdir -p "$work/NoRuntime"
cp "$bin/launcher.exe" "$work/NoRuntime/App.exe"
printf '[Java Runtime Environment]\r\nMain Class=com.example.App\r\nMinimum Version=1.8\r\nMaximum Version=any\r\n' \
  > "$work/NoRuntime/App.ini"
wine "$work/NoRuntime/App.exe" </dev/null >/dev/null 2>&1 &
shot '"JRE nicht gefunden"' runtime-not-found.png
wineserver -k >/dev/null 2>&1 || true
sleep 1

# main throws on the real VM with Failure Check on: the exception dialog.
app="$work/Exception"
mkdir -p "$app/jre/bin/server" "$app/lib"
cp "$bin/launcher.exe" "$app/App.exe"
cp "$bin/realjvm.dll" "$app/jre/bin/server/jvm.dll"
: > "$app/jre/bin/java.dll"
cp "$bin/realjava/realapp.jar" "$bin/realjava/realhelper.jar" "$app/lib/"
printf '[Java Runtime Environment]\r\nMain Class=realapp.RealApp\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Application]\r\nFailure Check=Yes\r\n' \
  > "$app/App.ini"
wine "$app/App.exe" throw </dev/null >/dev/null 2>&1 &
shot '"Java Fehler"' exception.png
wineserver -k >/dev/null 2>&1 || true
sleep 1

# The splash picture while main runs on the real VM: 400 by 300, centred on
# the 1366 by 768 screen, its transparent corner opaque.
cp "$bin/pictures/splash-400x300.png" "$app/splash.png"
printf '[Java Runtime Environment]\r\nMain Class=realapp.RealApp\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Display]\r\nSplash Screen=Z:%s\r\n' \
  "$(echo "$app/splash.png" | tr / '\\')" > "$app/App.ini"
wine "$app/App.exe" sleep </dev/null >/dev/null 2>&1 &
# The test picture has three colours: two in its squares, black in its corner.
shot '400x300+483+234' splash.png 3
