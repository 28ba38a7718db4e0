#!/usr/bin/env bash
# Builds the .deb with CPack into a temporary folder and checks its dependencies and contents.
# Usage: check_package.sh <cpack> <build dir>
set -euo pipefail
cpack=$1 build=$2
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "dpkg tools not installed: skipped"
  exit 0
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/kva271-config_*.deb)

fail=0
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo; do
  grep -q "\b$lib\b" <<<"$depends" || { echo "Depends lacks $lib: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = kva271-config ] || { echo "wrong package name"; fail=1; }
files=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kva271-config ./usr/share/applications/org.example.kva271config.desktop \
         ./usr/share/metainfo/org.example.kva271config.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/org.example.kva271config.svg \
         ./usr/share/icons/hicolor/48x48/apps/org.example.kva271config.png \
         ./usr/share/doc/kva271-config/copyright; do
  grep -q " $f\$" <<<"$files" || { echo "package lacks $f"; fail=1; }
done
exit $fail
