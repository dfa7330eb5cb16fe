#!/usr/bin/env bash
# Prepares the Wine prefix of the locate page's tests (group "findapp") before its first case:
# E: becomes a second fixed drive (an empty folder of the prefix) and S:, the repository, a
# network drive, so that a scan of every fixed drive covers C: and E: only. Drive letters are
# read once per Wine process and drive kinds when the prefix's server starts, hence this step
# outside the test program.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../../.." && pwd)
: "${KOLVAR_WINE_ROOT:?run the Windows tests through scripts/test}"
group=findapp
prefix=$KOLVAR_WINE_ROOT/$group
# The first run through the group makes its prefix.
KOLVAR_WINE_GROUP=$group "$repo/scripts/wine-run" cmd.exe /c exit >/dev/null
mkdir -p "$prefix/media/e"
ln -sfn "$prefix/media/e" "$prefix/dosdevices/e:"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"e:"="hd"\r\n"s:"="network"\r\n' \
  >"$prefix/drive_c/findapp-drives.reg"
KOLVAR_WINE_GROUP=$group "$repo/scripts/wine-run" regedit /s 'C:\findapp-drives.reg' >/dev/null
rm -f "$prefix/drive_c/findapp-drives.reg"
server=$(dirname "$KOLVAR_WINE")/wineserver
[ -x "$server" ] || server=wineserver
WINEPREFIX=$prefix "$server" -k 2>/dev/null || true
WINEPREFIX=$prefix "$server" -w 2>/dev/null || true
# Links for the scan to meet on C:: two that lead back up the tree, one that leads elsewhere.
c=$prefix/drive_c
rm -rf "$c/links" "$c/linked"
mkdir -p "$c/links/down" "$c/linked/inner"
ln -s .. "$c/links/down/back"
ln -s . "$c/links/self"
ln -s ../linked "$c/links/over"
# A tree of 20,000 folders on E: under a hidden name, so that the scans pass it over; the test
# of "&Abandon" gives it a visible name while it runs.
tree=$prefix/media/e/.arhiva
if [ ! -f "$tree/complete" ]; then
  rm -rf "$tree"
  for a in $(seq -w 0 19); do
    mkdir -p "$tree/an$a"/luna{00..19}/zi{00..49}
  done
  touch "$tree/complete"
fi
