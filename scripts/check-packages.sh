#!/usr/bin/env bash
# Makes the Debian packages with CPack (directory-module: libraries and simulator; directory-module-dev:
# headers, CMake package, pkg-config files), installs them with `apt-get install ./file.deb` as a user
# would, builds and runs the consumer example against the system copy through find_package and through
# pkg-config, then removes both packages and checks that none of their files is left.
# Installs into the system: needs root or sudo. Usage: scripts/check-packages.sh (works in build/install-check)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/install-check
jobs="$(nproc)"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
apt=($SUDO apt-get -o DPkg::Lock::Timeout=600 -y)
fail() { echo "check-packages: $*" >&2; exit 1; }

scripts/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DDIRECTORY_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j "$jobs"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB)

# apt reads local packages as its own unprivileged user: hand it a folder it may enter.
debs="$(mktemp -d /tmp/directory-debs.XXXXXX)"
cp "$build"/packages/*.deb "$debs/"
chmod 755 "$debs" && chmod 644 "$debs"/*.deb
runtime="$(ls "$debs"/directory-module_*.deb)"
dev="$(ls "$debs"/directory-module-dev_*.deb)"

echo "== package contents"
dpkg-deb --info "$runtime" | sed -n '/Package:/,$p'
dpkg-deb --info "$dev" | sed -n '/Package:/,$p'
runtime_files="$(dpkg-deb -c "$runtime")"
dev_files="$(dpkg-deb -c "$dev")"
grep -q 'libDirectory\.so\.1\.0\.0$' <<<"$runtime_files" || fail "runtime package lacks libDirectory.so.1.0.0"
grep -q 'libETLLib\.so\.1 -> ' <<<"$runtime_files" || fail "runtime package lacks the libETLLib.so.1 link"
grep -q '/include/' <<<"$runtime_files" && fail "runtime package carries headers"
grep -q 'include/directory/DirectoryEntry\.h$' <<<"$dev_files" || fail "dev package lacks the module headers"
grep -q 'cmake/Directory/DirectoryConfig\.cmake$' <<<"$dev_files" || fail "dev package lacks the CMake package"
grep -q 'pkgconfig/directory\.pc$' <<<"$dev_files" || fail "dev package lacks directory.pc"
grep -q 'libDirectory\.so -> ' <<<"$dev_files" || fail "dev package lacks the libDirectory.so link"
echo "ok"

cleanup() { "${apt[@]}" purge directory-module-dev directory-module >/dev/null 2>&1 || true; rm -rf "$debs"; }
trap cleanup EXIT
"${apt[@]}" purge directory-module-dev directory-module >/dev/null 2>&1 || true

echo "== apt-get install"
"${apt[@]}" install "$runtime" "$dev"
installed="$(dpkg -L directory-module directory-module-dev)"
grep -q 'libDirectory\.so\.1 ' <<<"$(ldconfig -p)" || fail "libDirectory.so.1 is not in the loader cache"

echo "== consumer example against the installed packages"
rm -rf "$build/consumer-system"
cmake -S examples/consumer -B "$build/consumer-system" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build/consumer-system" -j "$jobs"
"$build/consumer-system/directory_consumer"
make -C examples/consumer -B OUT="$PWD/$build/consumer-system/directory_consumer_pc"
"$build/consumer-system/directory_consumer_pc"

echo "== apt-get purge"
"${apt[@]}" purge directory-module-dev directory-module
left=""
while IFS= read -r path; do
  [ -n "$path" ] || continue
  if [ -e "$path" ] && [ ! -d "$path" ]; then left+=" $path"; fi
done <<<"$installed"
for folder in /usr/include/directory /usr/include/etllib /usr/lib/*/cmake/Directory /usr/lib/*/cmake/ETLLib; do
  [ -e "$folder" ] && left+=" $folder"
done
[ -z "$left" ] || fail "left behind after removal:$left"
grep -q 'libDirectory\.so' <<<"$(ldconfig -p)" && fail "libDirectory is still in the loader cache"
echo "check-packages passed"
