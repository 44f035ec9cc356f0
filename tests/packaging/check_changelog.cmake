# cmake -DCHANGELOG=debian/changelog -DVERSION=1.62.0 -P check_changelog.cmake
file(STRINGS "${CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^m4k7db \\(([^)]+)\\) ")
  message(FATAL_ERROR "${CHANGELOG} does not start with an m4k7db entry: ${first}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${CHANGELOG} names version ${CMAKE_MATCH_1}, the project is ${VERSION}: add a changelog entry (dch -v ${VERSION})")
endif()
