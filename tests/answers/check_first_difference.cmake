# Runs the corpus against altered copies of the committed file: each must
# fail, naming the first differing line with both its texts.
#   cmake -DPROGRAM=answers_corpus -DGOLDEN=answers.txt -DWORK=<dir> -P check_first_difference.cmake
cmake_policy(VERSION 3.20)
file(STRINGS "${GOLDEN}" lines)
list(LENGTH lines count)
if(count LESS 200)
  message(FATAL_ERROR "${GOLDEN} holds ${count} lines; expected the whole corpus")
endif()

function(expect_failure name text pattern)
  set(copy "${WORK}/answers_${name}.txt")
  file(WRITE "${copy}" "${text}")
  execute_process(COMMAND "${PROGRAM}" --compare "${copy}" RESULT_VARIABLE status ERROR_VARIABLE report OUTPUT_QUIET)
  if(status EQUAL 0)
    message(FATAL_ERROR "${name}: the comparison passed")
  endif()
  if(NOT report MATCHES "${pattern}")
    message(FATAL_ERROR "${name}: the report does not name the difference (${pattern}):\n${report}")
  endif()
endfunction()

# One answer changed in line 150, and a later one in line 190: the first is named.
list(GET lines 149 original)
string(REGEX REPLACE " -> (-?[0-9]+) " " -> 9\\1 " altered "${original}")
list(GET lines 189 later)
set(changed ${lines})
list(REMOVE_AT changed 149)
list(INSERT changed 149 "${altered}")
list(REMOVE_AT changed 189)
list(INSERT changed 189 "${later} x")
string(REPLACE ";" "\n" text "${changed}")
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" expected "${altered}")
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" actual "${original}")
expect_failure(changed "${text}\n" "line 150:\n  expected: ${expected}\n  actual:   ${actual}\n")

# The last line missing: the program's extra line is named.
list(REMOVE_AT lines -1)
string(REPLACE ";" "\n" text "${lines}")
math(EXPR last "${count}")
expect_failure(short "${text}\n" "line ${last}:\n  expected: \\(end of file\\)")
