# GoogleTest for cross builds: an installed host GTest cannot link into the
# target's programs, so Debian's sources (package googletest) are built with
# the same toolchain. Provides the targets find_package(GTest) would.
set(M4K7DB_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for cross builds")
if(NOT EXISTS ${M4K7DB_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "A cross build needs the GoogleTest sources in ${M4K7DB_GOOGLETEST_SOURCE} (Debian: googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${M4K7DB_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(TARGET ${lib} AND NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
