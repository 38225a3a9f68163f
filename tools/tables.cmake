# The endgame tables of up to four pieces, built with the game into
# Data/tables (a dozen seconds of one core). Five pieces and more take longer
# and are built by hand: talvena-cli tablebase build 5 Data/tables.
# Instrumented builds would take minutes over them and leave them out.
if(TALVENA_SANITIZE OR TALVENA_TSAN)
  set(TALVENA_TABLES_DEFAULT OFF)
else()
  set(TALVENA_TABLES_DEFAULT ON)
endif()
option(TALVENA_TABLES "Build the endgame tables of up to four pieces into Data/tables" ${TALVENA_TABLES_DEFAULT})

if(TALVENA_TABLES)
  set(TALVENA_TABLE_DIR ${CMAKE_BINARY_DIR}/Data/tables)
  set(TALVENA_TABLE_FILES)
  # Every material of 2 to 4 pieces with a piece on each side, as
  # table_materials lists them.
  foreach(n 2 3 4)
    foreach(bm RANGE ${n})
      math(EXPR left_bk "${n} - ${bm}")
      foreach(bk RANGE ${left_bk})
        math(EXPR left_rm "${n} - ${bm} - ${bk}")
        foreach(rm RANGE ${left_rm})
          math(EXPR rk "${n} - ${bm} - ${bk} - ${rm}")
          math(EXPR blue "${bm} + ${bk}")
          math(EXPR red "${rm} + ${rk}")
          if(blue GREATER 0 AND red GREATER 0)
            list(APPEND TALVENA_TABLE_FILES ${TALVENA_TABLE_DIR}/tb_${bm}${bk}${rm}${rk}.tbl)
          endif()
        endforeach()
      endforeach()
    endforeach()
  endforeach()
  # The tables depend on the rules of the turns and the tables' own code, not
  # on the rest of the command-line tool: relinking it keeps them. A build
  # keeps tables already there, so the old ones go first.
  add_custom_command(
    OUTPUT ${TALVENA_TABLE_FILES}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TALVENA_TABLE_DIR}
    COMMAND talvena-cli tablebase build 4 ${TALVENA_TABLE_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/engine/tablebase.cpp ${CMAKE_SOURCE_DIR}/src/engine/tablebase_build.cpp
            ${CMAKE_SOURCE_DIR}/src/engine/tablebase.h ${CMAKE_SOURCE_DIR}/src/engine/movegen.cpp
            ${CMAKE_SOURCE_DIR}/src/engine/engine.h ${CMAKE_SOURCE_DIR}/src/engine/tables.h
    COMMENT "Building the endgame tables of up to four pieces in Data/tables"
    VERBATIM)
  add_custom_target(talvena_tables ALL DEPENDS ${TALVENA_TABLE_FILES})
endif()
