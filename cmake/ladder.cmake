# Checks that the game's folders form a ladder: a file may include headers
# of its own folder and of the folders below it, never of one above.
# Run as a test: cmake -DSOURCE_DIR=<source folder> -P cmake/ladder.cmake
set(LADDER media ui play library screens shell)  # bottom to top

set(violations "")
foreach(folder IN LISTS LADDER)
  list(FIND LADDER ${folder} level)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([A-Za-z_]+)/.*$" "\\1" target "${line}")
      list(FIND LADDER ${target} target_level)
      if(target_level GREATER level)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
        string(APPEND violations "  ${shown} (${folder}) includes ${target}/: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "A folder includes one above it (ladder: ${LADDER}):\n${violations}")
endif()
list(JOIN LADDER " < " shown_ladder)
message(STATUS "The folders form a ladder: ${shown_ladder}")
