# Install rules: the public header, the shared library (libm4k7db.so.1 or
# the DLL with its import library), and on POSIX systems the m4k7db tool
# and its man page, a pkg-config file and a CMake package:
#
#   cmake --install build/default [--prefix /usr]
#
#   find_package(m4k7db 1.62 REQUIRED)
#   target_link_libraries(app PRIVATE m4k7db::m4k7db)
#
# Debian packages are made from these rules by debian/; a Windows build
# packs what it installs as a ZIP (packaging/CPackSettings.cmake).
include(CMakePackageConfigHelpers)

set(M4K7DB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/m4k7db)

install(FILES ${PROJECT_SOURCE_DIR}/include/m4k7db.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# Consumers of the installed library see only the public header's folder.
target_include_directories(m4k7db INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
install(TARGETS m4k7db EXPORT m4k7dbTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  # The ZIP of a Windows build: the DLL, its import library, the header
  # and the licence.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
  include(${PROJECT_SOURCE_DIR}/packaging/CPackSettings.cmake)
  return()
endif()
install(EXPORT m4k7dbTargets NAMESPACE m4k7db:: DESTINATION ${M4K7DB_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/m4k7dbConfig.cmake.in
  ${PROJECT_BINARY_DIR}/m4k7dbConfig.cmake INSTALL_DESTINATION ${M4K7DB_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/m4k7dbConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/m4k7dbConfig.cmake ${PROJECT_BINARY_DIR}/m4k7dbConfigVersion.cmake
  DESTINATION ${M4K7DB_CMAKE_DIR})

# The pkg-config file names the prefix the files are installed under,
# which is only known at install time (cmake --install --prefix).
set(M4K7DB_PC_PREFIX "@M4K7DB_PC_PREFIX@") # kept for the install-time pass
configure_file(${PROJECT_SOURCE_DIR}/cmake/m4k7db.pc.in ${PROJECT_BINARY_DIR}/m4k7db.pc.in @ONLY)
install(CODE "
  set(M4K7DB_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/m4k7db.pc.in\" \"${PROJECT_BINARY_DIR}/m4k7db.pc\" @ONLY)
")
install(FILES ${PROJECT_BINARY_DIR}/m4k7db.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET m4k7db-cli)
  install(TARGETS m4k7db-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${M4K7DB_MAN_INSTALL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

