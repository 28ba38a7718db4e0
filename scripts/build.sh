#!/usr/bin/env bash
# Configures (first time) and builds the normal tree in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Settings given on the command line (./test gives -DKVA_WERROR=ON) are applied every time.
if [ ! -f build/CMakeCache.txt ] || [ $# -gt 0 ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
fi
cmake --build build -j"$(nproc)"
