# Debian packages, made with `cpack` in a build folder configured with -DCMAKE_INSTALL_PREFIX=/usr
# (scripts/check-packages.sh does it all):
#   directory-module       the shared libraries (with their SONAME) and the simulator
#   directory-module-dev   headers, library name links, the CMake packages and the pkg-config files
# A cross build sets CPACK_DEBIAN_PACKAGE_ARCHITECTURE in its toolchain file.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME directory-module)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Directory module maintainers <directory-module@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME directory-module)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME directory-module-dev)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
string(CONCAT runtime_description "libDirectory, the phone-book logic (local phone book, remote XML phonebooks, network\n"
    "directories, directory shortcuts, caller lookup), and libETLLib, the reference Linux host it runs on")
if(TARGET dirsim)
  string(APPEND runtime_description ",\nwith dirsim, the phone directory simulator")
endif()
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "${runtime_description}.")
string(CONCAT CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Headers (include/directory, include/etllib), the CMake packages Directory and ETLLib and the\n"
    "pkg-config files directory.pc and etllib.pc.")
# Runtime dependencies come from the libraries themselves (dpkg-shlibdeps); the shlibs file lets packages
# built against this one depend on it in turn, and installs the ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "directory-module (= ${PROJECT_VERSION}), libpugixml-dev, pkg-config")

include(CPack)
