#!/usr/bin/env bash
# Installs the Debian packages that are missing, and only those.
#   scripts/deps.sh          what building and running the program (and ./run --demo) needs
#   scripts/deps.sh --test   that and what the tests, benchmarks, fuzzing and tools need (./test)
set -euo pipefail

# The program and the simulated phone: a compiler, CMake, Qt 6 Widgets, libjpeg and a font.
run_packages=(
  build-essential cmake
  qt6-base-dev libgl-dev
  libjpeg62-turbo-dev
  fonts-dejavu-core
)
# Tests (GoogleTest, Qt Test), benchmarks, the libFuzzer and sanitizer builds (clang), clang-tidy,
# the desktop-file and AppStream checks, the package check (CPack's dependency step runs `file`).
test_packages=(
  ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy python3
  appstream desktop-file-utils file
  qt6-serialport-dev
)

packages=("${run_packages[@]}")
case "${1:-}" in
  --test) packages+=("${test_packages[@]}") ;;
  "") ;;
  *) echo "usage: scripts/deps.sh [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo: missing ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
