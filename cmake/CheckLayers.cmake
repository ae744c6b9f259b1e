# cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake
# Fails when a file of engine/ includes a header of the areas above it (levels, ships, sprites,
# campaign, interface, audio, editors) or of the game's top (game/). engine/ may include only
# engine/, runtime/, platform/, math/ and standard headers.
file(GLOB _files ${SOURCE_DIR}/engine/*.h ${SOURCE_DIR}/engine/*.cpp)
set(_bad "")
foreach(_f ${_files})
  file(STRINGS ${_f} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(levels|ships|sprites|campaign|interface|audio|editors|game)/")
  foreach(_l ${_lines})
    file(RELATIVE_PATH _rel ${SOURCE_DIR} ${_f})
    string(APPEND _bad "  ${_rel}: ${_l}\n")
  endforeach()
endforeach()
if(_bad)
  message(FATAL_ERROR "engine/ includes from the layers above it:\n${_bad}")
endif()
