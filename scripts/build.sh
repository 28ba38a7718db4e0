#!/usr/bin/env bash
# Builds the normal tree in build/. Settings given here are applied every time they differ from
# the tree's (./test gives -DKVA_WERROR=ON, ./run -DKVA_WERROR=OFF); without --target it builds
# everything the tree is configured for.
#   scripts/build.sh [-DNAME=VALUE ...] [--target NAME ...]
set -euo pipefail
cd "$(dirname "$0")/.."
settings=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --target) shift; while [ $# -gt 0 ] && [[ $1 != -* ]]; do targets+=(--target "$1"); shift; done ;;
    -D*) settings+=("$1"); shift ;;
    *) echo "scripts/build.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
scripts/configure.sh build "${settings[@]}"
cmake --build build -j"$(nproc)" "${targets[@]}"
