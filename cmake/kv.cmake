# Helpers shared by the project's CMake files.

# kv_glob_sources(<var> <dir>): the .cpp files of one folder (not recursive).
function(kv_glob_sources var dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(SORT _src)
  set(${var} ${_src} PARENT_SCOPE)
endfunction()

# kv_add_test_dir(<name> <dir> LIBS <libs...>): one GoogleTest program made of
# every *_test.cpp of <dir> (plus any other .cpp there, taken as fixtures).
function(kv_add_test_dir name dir)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  list(SORT _src)
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kvtestsupport GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KV_BINARY_DIR="${CMAKE_BINARY_DIR}"
    KV_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
endfunction()
