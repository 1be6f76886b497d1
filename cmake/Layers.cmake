# roteka_layer(NAME [BUILDS_ON lower layer libraries...] [QT Qt targets...]): the static library
# roteka_NAME of the folder src/NAME. Its include root, in the build tree, holds only a link named
# NAME to src/NAME, so "NAME/File.h" is found there and no other layer's folder is; the layers it
# builds on bring their own roots with them.
function(roteka_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "BUILDS_ON;QT")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${name})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
  endif()
  add_library(roteka_${name} STATIC)
  target_include_directories(roteka_${name} PUBLIC ${root})
  target_link_libraries(roteka_${name} PUBLIC ${arg_BUILDS_ON} ${arg_QT})
endfunction()
