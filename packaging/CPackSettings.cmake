# The Debian package: library, header, pkg-config and CMake files, the tool
# and its man page, in one package installed under /usr.
# A Windows build packs the DLL, its import library and the header as a zip.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME m4k7db)
set(CPACK_PACKAGE_VENDOR "m4k7db developers")
set(CPACK_PACKAGE_CONTACT "m4k7db developers <m4k7db@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}: the module, its header and the m4k7db tool")
set(CPACK_PACKAGE_DESCRIPTION
    "m4k7db describes the M4K7 inkjet printer to its driver package: paper sizes, media, print modes, printer commands and status texts, answered by numbered keys through six C functions. The package holds the shared library, its header, pkg-config and CMake files, and the m4k7db command-line tool.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library needs only the C and C++ run-time; dpkg-shlibdeps names them
# when it is installed.
find_program(M4K7DB_SHLIBDEPS dpkg-shlibdeps)
if(M4K7DB_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)
