#!/usr/bin/env bash
# Configures a build tree with the given cache settings, every time one of them differs from what
# the tree has (or the tree is new), so a setting never stays behind from an earlier run.
#   scripts/configure.sh <tree> [-DNAME=VALUE ...]
# The compiler is chosen by CC/CXX at the first configure of a tree, as CMake requires.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$1
shift
settings=("$@")
# ccache with paths relative to the checkout and without the build folder in the hash (it is,
# by default, with -g), so other clones and work trees of the project hit the same cache.
command -v ccache >/dev/null &&
  settings+=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_BASEDIR=$PWD;CCACHE_NOHASHDIR=true;ccache")

needed=false
if [ ! -f "$tree/CMakeCache.txt" ]; then
  needed=true
else
  for s in "${settings[@]}"; do
    [[ $s == -D*=* ]] || { needed=true; break; }
    name=${s#-D}
    value=${name#*=}
    name=${name%%=*}
    name=${name%%:*}
    grep -qxF -- "$value" <(sed -n "s/^$name:[A-Z]*=//p" "$tree/CMakeCache.txt") || { needed=true; break; }
  done
fi
if $needed; then
  cmake -S . -B "$tree" "${settings[@]}" >/dev/null
fi
