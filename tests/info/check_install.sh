#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks the program and its desktop files.
# Usage: check_install.sh <cmake> <build dir>
set -euo pipefail
cmake=$1 build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

id=org.example.kva271config
fail=0
need() { [ -s "$prefix/$1" ] || { echo "missing: $1"; fail=1; }; }
need bin/kva271-config
[ -x "$prefix/bin/kva271-config" ] || { echo "not executable: bin/kva271-config"; fail=1; }
need share/applications/$id.desktop
need share/metainfo/$id.metainfo.xml
need share/doc/kva271-config/copyright
need share/icons/hicolor/scalable/apps/$id.svg
for size in 16 22 24 32 48 64 128 256; do
  png=share/icons/hicolor/${size}x${size}/apps/$id.png
  need "$png"
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  if [ -s "$prefix/$png" ]; then
    dims=$(od -An -tu4 --endian=big -j16 -N8 "$prefix/$png" | tr -s ' ' | sed 's/^ //')
    [ "$dims" = "$size $size" ] || { echo "$png is not ${size}x${size}: $dims"; fail=1; }
  fi
done
grep -qx "Exec=kva271-config" "$prefix/share/applications/$id.desktop" || { echo "desktop entry does not start kva271-config"; fail=1; }
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || { echo "desktop entry names another icon"; fail=1; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" \
  || { echo "metainfo does not launch the desktop entry"; fail=1; }
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$prefix/share/metainfo/$id.metainfo.xml" \
  || { echo "metainfo lacks the project licence"; fail=1; }
grep -qx "License: GPL-3.0-or-later" "$prefix/share/doc/kva271-config/copyright" \
  || { echo "copyright file lacks the licence"; fail=1; }

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) || { echo "$out"; fail=1; }
  [ -z "$out" ] || { echo "desktop-file-validate: $out"; fail=1; }
else
  echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --no-color "$prefix/share/metainfo/$id.metainfo.xml" || fail=1
else
  echo "appstreamcli not installed: skipped"
fi
exit $fail
