# Fails when a core source reaches an Allegro header through its includes:
# the core (rules, computer opponent, loop passes, file formats) builds and
# is tested without a display. Run by ctest with
#   -DC  elseif(deps MATCHES "[^ \\\\\n]*/allegro(\\.h|/)[^ \\\\\n]*")=compiler -DSOURCE_DIR=dir -DSOURCES=a|b|... -DINCLUDES=a|b|...
string(REPLACE "|" ";" sources "${SOURCES}")
string(REPLACE "|" ";" includes "${INCLUDES}")
set(flags -std=c++17 -M -I${SOURCE_DIR}/src)
foreach(dir IN LISTS includes)
  list(APPEND flags -I${dir})
endforeach()
set(failed "")
foreach(source IN LISTS sources)
  execute_process(COMMAND ${CXX} ${flags} ${SOURCE_DIR}/${source}
    OUTPUT_VARIABLE deps ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${source}: the compiler could not list its includes:\n${errors}")
  elseif(deps MATCHES "[^ \\\\\n]*/allegro(\\.h|/)[^ \\\\\n]*")
    list(APPEND failed "${source} includes ${CMAKE_MATCH_0}")
  endif()
endforeach()
if(failed)
  string(REPLACE ";" "\n  " failed "${failed}")
  message(FATAL_ERROR "core sources that reach Allegro:\n  ${failed}")
endif()
list(LENGTH sources count)
message(STATUS "${count} core sources, none reaches Allegro")
