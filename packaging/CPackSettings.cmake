# The Windows ZIP: the DLL, its import library, the header and the licence
# (cmake/Install.cmake includes this in Windows builds only; Linux packages
# come from debian/).
#
#   cpack --config build/windows-x86/CPackConfig.cmake
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME m4k7db)
set(CPACK_PACKAGE_VENDOR "m4k7db developers")
set(CPACK_PACKAGE_CONTACT "m4k7db developers <m4k7db-devel@lists.m4k7db.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}: the DLL, its import library and header")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES TRUE)
include(CPack)
