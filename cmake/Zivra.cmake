# Build helpers shared by every subsystem.
#
# Source convention: in src/base, src/cutting, src/model and src/files only files named
# *_qt.cpp may use Qt. Everything else there builds without Qt, which lets the
# fuzz build (clang + sanitizers) take the core without Qt at all.

set(ZIVRA_SRC ${CMAKE_SOURCE_DIR}/src)

# zivra_sources(<out-var> <dir> [NO_QT])
# The .cpp files of one subsystem folder; NO_QT leaves out the *_qt.cpp ones.
function(zivra_sources out dir)
  cmake_parse_arguments(ARG "NO_QT" "" "" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${ZIVRA_SRC}/${dir}/*.cpp)
  if(ARG_NO_QT)
    list(FILTER files EXCLUDE REGEX "_qt\\.cpp$")
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# zivra_library(<target> <dir> [LIBS ...])
function(zivra_library target dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  zivra_sources(srcs ${dir})
  file(GLOB hdrs CONFIGURE_DEPENDS ${ZIVRA_SRC}/${dir}/*.h)
  add_library(${target} STATIC ${srcs} ${hdrs})
  target_include_directories(${target} PUBLIC ${ZIVRA_SRC})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
endfunction()

# zivra_test(<target> <dir> [GUI] [LIBS ...])
# One test binary per subsystem folder of tests/. GUI tests get a main that
# builds a QApplication; discovery waits until the tests run, so building never
# needs a display.
function(zivra_test target dir)
  cmake_parse_arguments(ARG "GUI" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT srcs)
    message(FATAL_ERROR "zivra_test(${target}): tests/${dir} holds no test")
  endif()
  if(ARG_GUI)
    set(main_lib zivra_test_main_gui)
  else()
    set(main_lib zivra_test_main)
  endif()
  add_executable(${target} ${srcs})
  target_link_libraries(${target} PRIVATE ${main_lib} ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests
    PROPERTIES ENVIRONMENT "ZIVRA_SOURCE_DIR=${CMAKE_SOURCE_DIR};ZIVRA_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
