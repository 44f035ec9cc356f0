# The import library of a DLL whose __stdcall exports are undecorated
# (--kill-at): the one ld writes names the exports as exported, without @N,
# so callers compiled against the header (which refer to _Name@20) would not
# link. dlltool -k rebuilds it from the .def: decorated symbols that import
# the undecorated names.
if(NOT M4K7DB_DLLTOOL)
  find_program(M4K7DB_DLLTOOL NAMES ${CMAKE_DLLTOOL} dlltool REQUIRED)
endif()

function(m4k7db_rebuild_import_library target def)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${M4K7DB_DLLTOOL} -d ${def} -D $<TARGET_FILE_NAME:${target}> -k -l $<TARGET_LINKER_FILE:${target}>
    COMMENT "Rebuilding the import library of $<TARGET_FILE_NAME:${target}>"
    VERBATIM)
endfunction()
