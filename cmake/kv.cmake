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
  # The CI's build optimises the library (the tests run faster under the
  # sanitizers) but not the test programs' own large GoogleTest bodies, which
  # cost more to optimise than they would save at run time.
  if(KV_TESTS_O0)
    target_compile_options(${name} PRIVATE -O0)
  endif()
  target_compile_definitions(${name} PRIVATE
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KV_BINARY_DIR="${CMAKE_BINARY_DIR}"
    KV_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  # Each case its own test (the everyday builds: a failing case is named and
  # rerun alone), or the program as one test (the CI's sanitizer build, where
  # starting a process costs more than most cases).
  if(KV_TEST_WHOLE_PROGRAMS)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  else()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# kv_precompile_std(<dir>): every C++ target defined below <dir> (the header
# check excepted, which must see each header alone) compiles the standard
# headers the tree leans on once, as a precompiled header; test programs add
# GoogleTest's. Most of a translation unit's parsing is the standard library,
# so this pays where nothing is cached (the CI's one build).
function(kv_precompile_std dir)
  get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t ${_targets})
    get_target_property(_type ${t} TYPE)
    if(t STREQUAL "check_headers" OR NOT _type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    target_precompile_headers(${t} PRIVATE
      <algorithm> <array> <atomic> <climits> <cmath> <cstddef> <cstdint> <cstdio> <cstdlib> <cstring>
      <exception> <functional> <iterator> <limits> <map> <memory> <mutex> <new> <optional> <set>
      <stdexcept> <string> <string_view> <type_traits> <unordered_map> <utility> <vector>)
    get_target_property(_libs ${t} LINK_LIBRARIES)
    if(_libs AND "GTest::gtest" IN_LIST _libs)
      target_precompile_headers(${t} PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
    endif()
  endforeach()
  get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(d ${_subdirs})
    kv_precompile_std(${d})
  endforeach()
endfunction()
