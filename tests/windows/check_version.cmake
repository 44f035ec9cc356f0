# Reads the version resource back from the built DLL, as Windows' file
# properties and driver installers do, and fails unless it names the
# project's version, the file's own name and the build (x86 or x64):
#   cmake -DDLL=m4k7db.dll -DVERSION=1.62.0 -DBUILD=x64 -P check_version.cmake
# Needs no Wine: the resource is looked for in the file's bytes.
cmake_policy(VERSION 3.20)

# UTF-16LE of an ASCII text, as hex digits.
function(utf16 text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()
# A 16-bit number as little-endian hex digits.
function(le16 number out)
  math(EXPR value "${number}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "000${value}" 0 -1 padded)
  string(REGEX REPLACE "^.*(..)(..)$" "\\2\\1" swapped "${padded}")
  string(REPLACE "x" "0" swapped "${swapped}")
  string(TOLOWER "${swapped}" swapped)
  set(${out} "${swapped}" PARENT_SCOPE)
endfunction()

file(READ "${DLL}" bytes HEX)

# VS_FIXEDFILEINFO: signature, structure version, then the file version as
# two 32-bit words, each the low 16 bits first (minor, major; build, patch).
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
le16(${major} major_hex)
le16(${minor} minor_hex)
le16(${patch} patch_hex)
set(fixed "bd04effe00000100${minor_hex}${major_hex}0000${patch_hex}")
string(FIND "${bytes}" "${fixed}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${DLL}: no fixed version ${VERSION}.0 (looked for ${fixed})")
endif()

# String values: the key, its terminating zero, up to one padding unit,
# then the value and its zero.
set(strings
  "FileVersion=${VERSION}"
  "ProductVersion=${VERSION}"
  "OriginalFilename=m4k7db.dll"
  "FileDescription=M4K7 printer database (${BUILD})")
foreach(pair IN LISTS strings)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${pair}")
  set(key "${CMAKE_MATCH_1}")
  set(value "${CMAKE_MATCH_2}")
  utf16("${key}" key_hex)
  utf16("${value}" value_hex)
  if(NOT bytes MATCHES "${key_hex}0000(0000)?${value_hex}0000")
    message(FATAL_ERROR "${DLL}: the version resource lacks ${key} \"${value}\"")
  endif()
endforeach()
message(STATUS "${DLL}: version ${VERSION}, \"M4K7 printer database (${BUILD})\"")
