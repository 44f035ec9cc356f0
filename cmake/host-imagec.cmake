# The image compiler of a cross build runs on the build machine, so it is
# built for the build machine: either one given by M4K7DB_HOST_IMAGEC, or a
# host build of this source tree (the image compiler only) inside the cross
# build tree. Sets M4K7DB_IMAGEC_COMMAND and M4K7DB_IMAGEC_DEPENDS for the
# command that compiles the image.
set(M4K7DB_HOST_IMAGEC "" CACHE FILEPATH "An m4k7-imagec built for the build machine (empty: build one)")

if(M4K7DB_HOST_IMAGEC)
  if(NOT EXISTS ${M4K7DB_HOST_IMAGEC})
    message(FATAL_ERROR "M4K7DB_HOST_IMAGEC names ${M4K7DB_HOST_IMAGEC}, which does not exist")
  endif()
  set(M4K7DB_IMAGEC_COMMAND ${M4K7DB_HOST_IMAGEC})
  set(M4K7DB_IMAGEC_DEPENDS ${M4K7DB_HOST_IMAGEC})
  return()
endif()

include(ExternalProject)
set(host_dir ${PROJECT_BINARY_DIR}/host-imagec)
set(host_exe ${host_dir}/tools/imagec/m4k7-imagec${CMAKE_HOST_EXECUTABLE_SUFFIX})
# No toolchain file: the host build takes the build machine's compilers.
# Run on every build, so that a content change rebuilds the compiler; when
# nothing changed, the compiler file keeps its time and the image is not
# compiled again.
ExternalProject_Add(m4k7db_host_imagec
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_dir}
  # -O2 as in the default build: GCC 12 at -O3 warns falsely in the standard
  # library, and warnings are errors.
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" -DM4K7DB_BUILD_TESTS=OFF -DM4K7DB_BUILD_TOOLS=OFF
             -DM4K7DB_BUILD_BENCH=OFF -DM4K7DB_WITH_CUPS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target m4k7-imagec
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${host_exe}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
set(M4K7DB_IMAGEC_COMMAND ${host_exe})
set(M4K7DB_IMAGEC_DEPENDS m4k7db_host_imagec ${host_exe})
