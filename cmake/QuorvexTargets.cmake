# qv_glob(VAR dir): every .cpp of a source folder (not its subfolders), re-globbed when
# files are added so that new sources need no CMake edit.
function(qv_glob var dir)
  file(GLOB _files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  set(${var} ${_files} PARENT_SCOPE)
endfunction()
