#!/usr/bin/env bash
# Installs the module into a staging folder and checks what an integrator gets: the layout (libraries with
# their SONAME, headers in include/directory and include/etllib only, dirsim that starts), every installed header compiling on
# its own, and the consumer example built out of tree and run, once through the CMake package
# (find_package(Directory)) and once through pkg-config.
# Usage: scripts/check-install.sh      (works in build/install-check)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/install-check
stage="$PWD/$build/stage"
jobs="$(nproc)"

scripts/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DDIRECTORY_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j "$jobs"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage"

fail() { echo "check-install: $*" >&2; exit 1; }
libdir="$(cmake -LA -N "$build" | sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p')"
[ -n "$libdir" ] || fail "no CMAKE_INSTALL_LIBDIR in $build"

echo "== layout"
for library in Directory ETLLib; do
  real="$stage/$libdir/lib$library.so.1.0.0"
  [ -f "$real" ] || fail "lib$library.so.1.0.0 missing"
  [ "$(readlink "$stage/$libdir/lib$library.so.1")" = "lib$library.so.1.0.0" ] || fail "lib$library.so.1 link"
  [ "$(readlink "$stage/$libdir/lib$library.so")" = "lib$library.so.1" ] || fail "lib$library.so link"
  grep -q "SONAME.*\[lib$library.so.1\]" <<<"$(readelf -d "$real")" || fail "lib$library has no SONAME lib$library.so.1"
done
[ -f "$stage/include/directory/DirectoryEntry.h" ] || fail "include/directory/DirectoryEntry.h missing"
[ -f "$stage/include/etllib/TaskAction.h" ] || fail "include/etllib/TaskAction.h missing"
loose="$(find "$stage/include" -maxdepth 1 -type f)"
[ -z "$loose" ] || fail "headers loose in the include root: $loose"
for file in cmake/Directory/DirectoryConfig.cmake cmake/Directory/DirectoryConfigVersion.cmake \
            cmake/ETLLib/ETLLibConfig.cmake pkgconfig/directory.pc pkgconfig/etllib.pc; do
  [ -f "$stage/$libdir/$file" ] || fail "$libdir/$file missing"
done
[ -x "$stage/bin/dirsim" ] || fail "bin/dirsim missing"
LD_LIBRARY_PATH="$stage/$libdir" "$stage/bin/dirsim" --help > /dev/null || fail "the installed dirsim does not start"
grep -rq "$PWD" "$stage/$libdir/cmake" && fail "the CMake package names the source or build folder"
grep -qx "prefix=$stage" "$stage/$libdir/pkgconfig/directory.pc" || fail "directory.pc names another prefix"
echo "ok"

export PKG_CONFIG_PATH="$stage/$libdir/pkgconfig"
cflags="$(pkg-config --cflags directory)"
echo "== every installed header compiles on its own ($cflags)"
export cflags
find "$stage/include" -name '*.h' -print0 | sort -z |
  xargs -0 -P "$jobs" -I{} sh -c 'printf "#include \"%s\"\n" "$(basename "{}")" |
    c++ -std=c++17 -fsyntax-only -Wall -Wextra -Werror $cflags -x c++ - || { echo "  {}"; exit 255; }'
echo "ok: $(find "$stage/include" -name '*.h' | wc -l) headers"

echo "== consumer example through find_package(Directory)"
rm -rf "$build/consumer-cmake"
cmake -S examples/consumer -B "$build/consumer-cmake" -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build/consumer-cmake" -j "$jobs"
LD_LIBRARY_PATH="$stage/$libdir" "$build/consumer-cmake/directory_consumer"

echo "== consumer example through pkg-config (directory.pc)"
mkdir -p "$build/consumer-pc"
make -C examples/consumer -B OUT="$PWD/$build/consumer-pc/directory_consumer"
LD_LIBRARY_PATH="$stage/$libdir" "$build/consumer-pc/directory_consumer"
echo "check-install passed"
