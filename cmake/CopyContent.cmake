# cmake -DSRC=<content folder> -DDST=<game folder> -P CopyContent.cmake
# Copies the content folder into the game folder, file by file where they differ, but keeps the
# files the game writes while it is played (the save slots, options, cheats and unlocks of data/)
# wherever the game folder already has them: a rebuild after an update never replaces a player's
# saved games or settings with the shipped ones.
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
foreach(f IN LISTS files)
  if(f MATCHES "^data/(save[0-9]+/.*|options\\.pnd|options2\\.pnd|unlocks\\.pnd)$" AND EXISTS "${DST}/${f}")
    continue()
  endif()
  get_filename_component(folder "${DST}/${f}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SRC}/${f}" "${DST}/${f}" ONLY_IF_DIFFERENT)
endforeach()
