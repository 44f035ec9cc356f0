# One ZIP for a Windows driver package: the 32-bit and the 64-bit DLL, each
# with its import library, beside the one header (the same for both; it
# sizes AccessRequest for the compiler that includes it) and the licence.
#
#   cmake -DX86=build/windows-x86 -DX64=build/windows-x64 -DOUT=m4k7db-windows.zip \
#         -P packaging/windows_zip.cmake
#
# gives m4k7db-VERSION-windows/ with include/m4k7db.h, LICENSE,
# x86/bin/m4k7db.dll, x86/lib/libm4k7db.dll.a, and the same under x64/.
foreach(var X86 X64 OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "windows_zip.cmake: -D${var}=... is required")
  endif()
endforeach()

file(STRINGS ${X64}/CMakeCache.txt version_line REGEX "^CMAKE_PROJECT_VERSION:")
string(REGEX REPLACE ".*=" "" version "${version_line}")
set(name m4k7db-${version}-windows)
get_filename_component(out ${OUT} ABSOLUTE)
get_filename_component(stage_root ${out} DIRECTORY)
set(stage ${stage_root}/${name}.stage)
file(REMOVE_RECURSE ${stage})

foreach(arch x86 x64)
  string(TOUPPER ${arch} var)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${${var}} --prefix ${stage}/${name}/${arch} --strip
                  RESULT_VARIABLE failed OUTPUT_QUIET)
  if(failed)
    message(FATAL_ERROR "windows_zip.cmake: installing ${${var}} failed")
  endif()
  if(NOT EXISTS ${stage}/${name}/${arch}/bin/m4k7db.dll)
    message(FATAL_ERROR "windows_zip.cmake: ${${var}} installed no bin/m4k7db.dll")
  endif()
  # One header and one licence for both.
  file(RENAME ${stage}/${name}/${arch}/include ${stage}/${name}/include.${arch})
  file(REMOVE ${stage}/${name}/${arch}/LICENSE)
endforeach()
file(RENAME ${stage}/${name}/include.x86 ${stage}/${name}/include)
file(REMOVE_RECURSE ${stage}/${name}/include.x64)
get_filename_component(source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
file(COPY ${source_dir}/LICENSE DESTINATION ${stage}/${name})

file(REMOVE ${out})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${out} --format=zip ${name}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "windows_zip.cmake: packing ${out} failed")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "wrote ${out}")
