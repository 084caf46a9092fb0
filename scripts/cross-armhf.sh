#!/usr/bin/env bash
# Cross build for 32-bit ARM hard-float, as a phone image builds the module: installs Debian's cross
# compiler, qemu-user and the armhf library packages (multiarch), builds the libraries, the tools and the
# test programs with cmake/toolchains/armhf.cmake (preset armhf), checks that the libraries are ARM
# hard-float objects, runs the test suite under qemu-arm and makes the armhf Debian packages
# (build/armhf/packages). Death tests are left out: they start the test program again, which qemu-user
# cannot do without the kernel's binfmt registration.
# Usage: scripts/cross-armhf.sh [--no-tests]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh armhf
cmake --preset armhf
cmake --build --preset armhf -j "$(nproc)"

for library in build/armhf/src/app/Gui/Logic/Directory/libDirectory.so build/armhf/lib/ETLLib/libETLLib.so; do
  header="$(readelf -h "$library")"
  grep -q 'Machine:.*ARM' <<<"$header" && grep -q 'hard-float' <<<"$header" ||
    { echo "cross-armhf: $library is not an ARM hard-float library" >&2; exit 1; }
  echo "$library: $(readelf -d "$library" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p'), ARM hard-float"
done

if [ "${1:-}" != "--no-tests" ]; then
  ctest --preset armhf -j "$(nproc)"
fi

rm -rf build/armhf/packages
(cd build/armhf && cpack -G DEB)
contents="$(dpkg-deb -c build/armhf/packages/directory-module_*_armhf.deb)"
grep -q 'usr/lib/arm-linux-gnueabihf/libDirectory\.so\.1\.0\.0$' <<<"$contents" ||
  { echo "cross-armhf: the armhf package lacks usr/lib/arm-linux-gnueabihf/libDirectory.so.1.0.0" >&2; exit 1; }
echo "cross-armhf passed: $(ls build/armhf/packages/*.deb | xargs -n1 basename | tr '\n' ' ')"
