# 32-bit ARM hard-float (Debian armhf), the way a phone image builds the module: Debian's cross compiler
# (g++-arm-linux-gnueabihf) with the armhf development packages installed through multiarch
# (`scripts/deps.sh armhf` installs both). Test programs run under qemu-arm.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# GCC notes on every std::vector iterator passed by value that its ARM calling convention changed in
# GCC 7.1; everything here is built with one compiler, so the notes say nothing.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

# Libraries, headers and packages come from the target's folders only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# pkg-config reads the armhf .pc files, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The armhf libraries installed through multiarch bring their own loader (/lib/ld-linux-armhf.so.3), and
# programs must run with it: the cross compiler's runtime in /usr/arm-linux-gnueabihf is a different build
# of the C library, and a loader of one with the libc of the other crashes at the first thread. Only
# without the multiarch C library is the cross runtime the system root.
find_program(DIRECTORY_QEMU_ARM qemu-arm)
if(DIRECTORY_QEMU_ARM)
  if(EXISTS /lib/ld-linux-armhf.so.3)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DIRECTORY_QEMU_ARM})
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DIRECTORY_QEMU_ARM} -L /usr/arm-linux-gnueabihf)
  endif()
endif()

# Installed and packaged as Debian armhf: libraries in the multiarch folder (GNUInstallDirs picks it for
# native builds only).
set(CMAKE_INSTALL_LIBDIR lib/arm-linux-gnueabihf)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
