#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: scripts/deps.sh [run] [docs] [armhf] [fuzz] [bench] [memcheck] [web]
#   run     only what building the programs needs (dirsim), without the test tools
#   docs    also Doxygen, for the API reference (scripts/docs.sh)
#   bench   also valgrind, whose callgrind counts instructions in the performance suite (scripts/bench.sh)
#   web     also Chromium, its WebDriver server and Python, for the browser test of dirsim --web
#           (scripts/test-web.sh)
#   fuzz    also clang and its sanitizer and libFuzzer runtimes, for the fuzz drivers (scripts/fuzz.sh)
#   memcheck  also valgrind, for scripts/memcheck.sh
#   armhf   also the 32-bit ARM cross compiler, qemu-arm and the armhf builds of every library package
#           below, through multiarch (scripts/cross-armhf.sh)
set -euo pipefail

RUN_PACKAGES=(
  build-essential cmake pkg-config
  libpugixml-dev libcurl4-openssl-dev libcpp-httplib-dev libutf8proc-dev
  libcli11-dev nlohmann-json3-dev libedit-dev
)
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libxml2-utils
)
PACKAGES=("${RUN_PACKAGES[@]}")
[[ " $* " == *" run "* ]] || PACKAGES+=("${TEST_PACKAGES[@]}")

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

extra=()
for group in "$@"; do
  case "$group" in
    run) ;;
    docs) extra+=(doxygen) ;;
    bench) extra+=(valgrind) ;;
    web) extra+=(chromium chromium-driver python3) ;;
    fuzz) extra+=(clang libclang-rt-14-dev) ;;
    memcheck) extra+=(valgrind) ;;
    armhf)
      if ! dpkg --print-foreign-architectures | grep -qx armhf; then
        echo "Adding the armhf architecture to dpkg"
        $SUDO dpkg --add-architecture armhf
      fi
      extra+=(g++-arm-linux-gnueabihf qemu-user)
      for package in "${PACKAGES[@]}"; do
        # Header-only packages are "Architecture: all" and serve every architecture as they are.
        case "$package" in libcli11-dev) ;; lib*-dev) extra+=("$package:armhf") ;; esac
      done
      ;;
    *) echo "scripts/deps.sh: unknown group '$group' (run, docs, armhf, fuzz, bench, memcheck, web)" >&2; exit 2 ;;
  esac
done
PACKAGES+=("${extra[@]}")

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Waits for another apt or dpkg run on the machine instead of failing at once.
$SUDO apt-get -o DPkg::Lock::Timeout=600 update
$SUDO apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
