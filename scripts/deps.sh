#!/usr/bin/env bash
# Installs the Debian packages that are missing, and only those.
#   scripts/deps.sh          what building and running the program (and ./run --demo) needs
#   scripts/deps.sh --test   that and what the tests, benchmarks, fuzzing and tools need (./test)
#   scripts/deps.sh --list run|test   print one set, one package a line, and install nothing
# cmake/debian-packages.txt names the package of everything the CMake files find; the test
# tests/deps/check_deps.sh keeps it and the two sets below in step with them.
set -euo pipefail

# The program and the simulated phone: a compiler, CMake, Qt 6 Widgets and Serial Port (the
# phone finder lists the devices with it), libjpeg, a font, and the PC/SC client library the card
# reader is reached through (found with pkg-config). ./run --demo starts a private PC/SC daemon
# with the simulated card where pcscd and vsmartcard-vpcd are installed; the program does not
# need them.
run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  qt6-serialport-dev
  libjpeg62-turbo-dev
  libpcsclite-dev
  fonts-dejavu-core
)
# Tests (GoogleTest, Qt Test), benchmarks, the libFuzzer and sanitizer builds (clang), clang-tidy,
# the desktop-file and AppStream checks, the package check (CPack's dependency step runs `file`),
# and the card reader's end-to-end test: a private PC/SC daemon with the virtual reader driver
# that the simulated card connects to (unshare and ip come with util-linux and iproute2).
test_packages=(
  ccache
  pcscd libccid vsmartcard-vpcd iproute2
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy python3
  appstream desktop-file-utils file
)

usage() { echo "usage: scripts/deps.sh [--test | --list run|test]" >&2; exit 2; }
packages=("${run_packages[@]}")
case "${1:-}" in
  --test) packages+=("${test_packages[@]}") ;;
  --list)
    case "${2:-}" in
      run) printf '%s\n' "${run_packages[@]}" ;;
      test) printf '%s\n' "${test_packages[@]}" ;;
      *) usage ;;
    esac
    exit 0 ;;
  "") ;;
  *) usage ;;
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
