# The portable core is three libraries that depend one way:
#   tlbase (engine/base) <- tlconvert (convert) <- tlengine (engine/framework,
#   engine/macroblock, engine/dxva) <- the Windows module and the tools.
# Every header resolves from the source root, so the compiler alone would accept
# an include of a higher layer; instead each layer's build first checks the
# quoted includes of its files against the directories it may use, and fails on
# any other (and on <windows.h>, which the core never sees).
function(tl_layer target)
  cmake_parse_arguments(arg "" "" "DIRECTORIES;MAY_INCLUDE" ${ARGN})
  set(files)
  foreach(dir ${arg_DIRECTORIES})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer-files)
  string(REPLACE ";" "\n" lines "${files}")
  file(WRITE ${list_file} "${lines}\n")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer-checked)
  string(REPLACE ";" "," allowed "${arg_MAY_INCLUDE}")
  string(REPLACE ";" " " shown "${arg_MAY_INCLUDE}")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${target} -DFILE_LIST=${list_file} -DMAY_INCLUDE=${allowed}
            -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/check_layer_includes.cmake
    DEPENDS ${files} ${list_file} ${CMAKE_SOURCE_DIR}/cmake/check_layer_includes.cmake
    COMMENT "Checking that ${target} includes only ${shown}"
    VERBATIM)
  add_custom_target(${target}_layer_check DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_check)
endfunction()
