# The folders of src/ form layers, and an include only ever reaches down:
#
#   shell
#   field   download   diagnostics     (none of these three includes another)
#   files
#   model              (the open game's records; its wrappers call the cutter)
#   cutting            (pure: picture and parameters in, masks and pieces out)
#   base               (common helpers, the raster image)
#   platform           (the seam to the user)
#
# A file may include its own folder and any folder on a lower layer. In the
# core (base, cutting, model, files) only files named *_qt.cpp or *_qt.h may
# include Qt, and none includes OpenGL.
#
# Run as: cmake -DZIVRA_SRC=<folder holding the subsystem folders> -P CheckLayers.cmake
# Prints every offending line and fails when there is one.

if(NOT ZIVRA_SRC)
  message(FATAL_ERROR "ZIVRA_SRC not set")
endif()

set(layer_platform 0)
set(layer_base 1)
set(layer_cutting 2)
set(layer_model 3)
set(layer_files 4)
set(layer_field 5)
set(layer_download 5)
set(layer_diagnostics 5)
set(layer_shell 6)
set(core_folders base cutting model files)

set(faults 0)
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${ZIVRA_SRC} ${ZIVRA_SRC}/*)
foreach(dir ${folders})
  if(NOT IS_DIRECTORY ${ZIVRA_SRC}/${dir})
    continue()
  endif()
  if(NOT DEFINED layer_${dir})
    message("src/${dir}: a folder with no layer; give it one in cmake/CheckLayers.cmake")
    math(EXPR faults "${faults} + 1")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${ZIVRA_SRC} ${ZIVRA_SRC}/${dir}/*.h ${ZIVRA_SRC}/${dir}/*.cpp)
  foreach(src ${sources})
    file(STRINGS ${ZIVRA_SRC}/${src} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
      if(line MATCHES "include[ \t]*\"([A-Za-z0-9_]+)/")
        set(to ${CMAKE_MATCH_1})
        if(to STREQUAL dir)
          continue()
        endif()
        if(NOT DEFINED layer_${to} OR NOT layer_${to} LESS layer_${dir})
          message("src/${src}: ${dir} includes ${to}, which is not below it: ${line}")
          math(EXPR faults "${faults} + 1")
        endif()
      elseif(line MATCHES "include[ \t]*<(Q[A-Za-z]*|GL/|GLES|EGL/)")
        list(FIND core_folders ${dir} in_core)
        if(in_core GREATER -1 AND NOT src MATCHES "_qt\\.(cpp|h)$")
          message("src/${src}: Qt or OpenGL in the core outside a *_qt file: ${line}")
          math(EXPR faults "${faults} + 1")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) against the layers")
endif()
message("include layers: every include reaches down")
