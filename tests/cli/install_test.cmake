# Installs the build tree with `cmake --install` into a scratch root (as a
# packager does with DESTDIR), and builds and runs the two consumers of
# packaging/ against that root: the C one through pkg-config
# (PKG_CONFIG_SYSROOT_DIR), the CMake one through find_package
# (CMAKE_PREFIX_PATH). Also runs the installed tool, which must answer
# through the installed library. PREFIX and LIBDIR are the build's install
# prefix and library folder (lib/x86_64-linux-gnu in a Debian build).
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(code)
    message(FATAL_ERROR "${what} failed (${code}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(root "${WORK}/root")
run("cmake --install" ${CMAKE_COMMAND} -E env DESTDIR=${root} "${CMAKE_COMMAND}" --install "${BUILD_DIR}")
set(usr "${root}${PREFIX}")
set(libdir "${usr}/${LIBDIR}")

# What the installation holds, and nothing built for tests.
foreach(need include/m4k7db.h bin/m4k7db ${LIBDIR}/libm4k7db.so ${LIBDIR}/libm4k7db.so.1
        ${LIBDIR}/libm4k7db.so.${VERSION} ${LIBDIR}/pkgconfig/m4k7db.pc ${LIBDIR}/cmake/m4k7db/m4k7dbConfig.cmake)
  if(NOT EXISTS "${usr}/${need}")
    message(FATAL_ERROR "the installation lacks ${PREFIX}/${need}")
  endif()
endforeach()
file(GLOB man "${usr}/share/man/man1/m4k7db.1*")
if(NOT man)
  message(FATAL_ERROR "the installation lacks the man page")
endif()
file(GLOB_RECURSE installed RELATIVE "${root}" "${root}/*")
list(FILTER installed INCLUDE REGEX "(test|fuzz|bench|\\.a$)")
if(installed)
  message(FATAL_ERROR "the installation holds what only tests need: ${installed}")
endif()
set(pc "${libdir}/pkgconfig/m4k7db.pc")
set(pcdir "${libdir}/pkgconfig")
# expect_dynamic(FILE REGEX MESSAGE): FILE's dynamic section (readelf -d)
# must match REGEX; skipped without readelf.
find_program(READELF readelf)
function(expect_dynamic file regex message)
  if(READELF)
    run("readelf" "${READELF}" -d "${file}")
    if(NOT out MATCHES "${regex}")
      message(FATAL_ERROR "${message}:\n${out}")
    endif()
  endif()
endfunction()
expect_dynamic("${libdir}/libm4k7db.so.${VERSION}" "SONAME[^\n]*\\[libm4k7db\\.so\\.1\\]"
               "the library's SONAME is not libm4k7db.so.1")
file(READ "${pc}" pctext)
if(NOT pctext MATCHES "prefix=${PREFIX}\n")
  message(FATAL_ERROR "m4k7db.pc does not name the prefix ${PREFIX}:\n${pctext}")
endif()

# The C consumer, through pkg-config into the scratch root.
set(pkgenv PKG_CONFIG_SYSROOT_DIR=${root} PKG_CONFIG_LIBDIR=${pcdir}
           PKG_CONFIG_ALLOW_SYSTEM_CFLAGS=1 PKG_CONFIG_ALLOW_SYSTEM_LIBS=1)
run("pkg-config" ${CMAKE_COMMAND} -E env ${pkgenv} "${PKG_CONFIG}" --cflags --libs m4k7db)
string(STRIP "${out}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
if(NOT flags MATCHES "-I${usr}/include" OR NOT flags MATCHES "-lm4k7db")
  message(FATAL_ERROR "pkg-config flags do not point into the package: ${flags}")
endif()
run("the C consumer's build" "${CC}" -std=c99 -Wall -Wextra "${SOURCE_DIR}/packaging/consumer-c/consumer.c"
    ${flags} -o "${WORK}/consumer-c")
run("the C consumer" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} "${WORK}/consumer-c")
if(NOT out MATCHES "^m4k7db database version [0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "the C consumer says: ${out}")
endif()
set(version_text "${out}")

# The CMake consumer, through find_package.
run("the CMake consumer's configure" "${CMAKE_COMMAND}" -S "${SOURCE_DIR}/packaging/consumer-cmake"
    -B "${WORK}/consumer-cmake" -G "${GENERATOR}" "-DCMAKE_PREFIX_PATH=${usr}" -DCMAKE_BUILD_TYPE=Release)
run("the CMake consumer's build" "${CMAKE_COMMAND}" --build "${WORK}/consumer-cmake")
run("the CMake consumer" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} "${WORK}/consumer-cmake/consumer")
if(NOT out MATCHES "^paper size 9: [0-9]+ x [0-9]+ \\(0\\.01 mm\\)\n$")
  message(FATAL_ERROR "the CMake consumer says: ${out}")
endif()

# The installed tool answers through the installed library, as a driver
# component loading it does.
expect_dynamic("${usr}/bin/m4k7db" "NEEDED[^\n]*\\[libm4k7db\\.so\\.1\\]"
               "the installed tool does not load libm4k7db.so.1")
run("the installed tool" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} "${usr}/bin/m4k7db" get root 2)
string(REGEX MATCH "[0-9]+\\.[0-9]+" from_library "${version_text}")
if(NOT out MATCHES "\"${from_library}\"")
  message(FATAL_ERROR "the installed tool says:\n${out}\nthe library: ${version_text}")
endif()
