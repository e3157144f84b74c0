# Run by CPack after installing into its staging folder, before packaging:
# the programs go from usr/bin to usr/games, where Debian keeps games and
# their tools. Both find the resources from there as ../share/zivra-jigsaw.
set(_stage ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(MAKE_DIRECTORY ${_stage}/games)
foreach(prog zivra-jigsaw zivra-tool)
  if(NOT EXISTS ${_stage}/bin/${prog})
    message(FATAL_ERROR "no ${_stage}/bin/${prog} to move to games/")
  endif()
  file(RENAME ${_stage}/bin/${prog} ${_stage}/games/${prog})
endforeach()
file(GLOB _left ${_stage}/bin/*)
if(NOT _left)
  file(REMOVE_RECURSE ${_stage}/bin)
endif()
