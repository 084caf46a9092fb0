# What `cmake --install` puts on a machine: the module and host libraries with their SONAME, their public
# headers each in a folder of its own (include/directory, include/etllib), the CMake packages Directory
# and ETLLib, the pkg-config files directory.pc and etllib.pc, and the simulator when it is built.
#
# Components: Runtime (shared libraries, programs) and Development (headers, name links, package files).
include(CMakePackageConfigHelpers)

set(DIRECTORY_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/directory)
set(ETLLIB_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/etllib)
set(DIRECTORY_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Directory)
set(ETLLIB_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/ETLLib)
set(DIRECTORY_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The names consumers use, also inside this build.
add_library(Directory::Directory ALIAS Directory)
add_library(ETLLib::ETLLib ALIAS ETLLib)

set_target_properties(Directory ETLLib PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

# Every header of the module (top folder and each subsystem folder) lands flat in include/directory, so
# the GUI keeps including them by plain name; the host's headers (not its src/) land in include/etllib.
file(GLOB directory_public_headers CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/app/Gui/Logic/Directory/*.h
     ${PROJECT_SOURCE_DIR}/src/app/Gui/Logic/Directory/*/*.h)
file(GLOB etllib_public_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/lib/ETLLib/*.h)
set_target_properties(Directory PROPERTIES PUBLIC_HEADER "${directory_public_headers}")
set_target_properties(ETLLib PROPERTIES PUBLIC_HEADER "${etllib_public_headers}")

install(TARGETS ETLLib EXPORT ETLLibTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
        PUBLIC_HEADER DESTINATION ${ETLLIB_INSTALL_INCLUDEDIR} COMPONENT Development)
install(TARGETS Directory EXPORT DirectoryTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development
        PUBLIC_HEADER DESTINATION ${DIRECTORY_INSTALL_INCLUDEDIR} COMPONENT Development)
if(TARGET dirsim)
  install(TARGETS dirsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
endif()

# CMake packages: Directory finds ETLLib (a phone's own host package may stand in for it) and pugixml.
install(EXPORT ETLLibTargets NAMESPACE ETLLib:: DESTINATION ${ETLLIB_INSTALL_CMAKEDIR} COMPONENT Development)
install(EXPORT DirectoryTargets NAMESPACE Directory:: DESTINATION ${DIRECTORY_INSTALL_CMAKEDIR}
        COMPONENT Development)
foreach(package Directory ETLLib)
  string(TOUPPER ${package} upper)
  configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/${package}Config.cmake.in
                                ${PROJECT_BINARY_DIR}/package/${package}Config.cmake
                                INSTALL_DESTINATION ${${upper}_INSTALL_CMAKEDIR})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/${package}ConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/package/${package}Config.cmake
                ${PROJECT_BINARY_DIR}/package/${package}ConfigVersion.cmake
          DESTINATION ${${upper}_INSTALL_CMAKEDIR} COMPONENT Development)
endforeach()

# pkg-config files name the prefix they are installed under (`cmake --install --prefix` included), so a
# staged install works as well as /usr.
set(DIRECTORY_PC_PREFIX "@DIRECTORY_PC_PREFIX@")
foreach(pc directory etllib)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/package/${pc}.pc.in @ONLY)
  install(CODE "set(DIRECTORY_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
                configure_file(\"${PROJECT_BINARY_DIR}/package/${pc}.pc.in\"
                               \"${PROJECT_BINARY_DIR}/package/${pc}.pc\" @ONLY)"
          COMPONENT Development)
  install(FILES ${PROJECT_BINARY_DIR}/package/${pc}.pc DESTINATION ${DIRECTORY_INSTALL_PKGCONFIGDIR}
          COMPONENT Development)
endforeach()
