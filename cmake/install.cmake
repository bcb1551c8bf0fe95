# Installation as a C++ library is laid out on Debian: the shared libraries
# in the library folder, every header under one folder (include/kvsym, with
# win/, kvcore/, kvlib/, kvrep/, kvxml/ and sym/ below it, so that an
# installed header includes its neighbours by the same paths as in the tree),
# targets exported in the kvsym:: namespace with a package configuration for
# find_package(kvsym), and a pkg-config file kvsym.pc.
include(CMakePackageConfigHelpers)

set(KV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/kvsym)
set(KV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kvsym)
set(KV_INSTALLED_LIBRARIES kvcore kvlib kvrep kvxml kvsym16)

# In the tree, the same names as an installed package gives.
foreach(t ${KV_INSTALLED_LIBRARIES})
  add_library(kvsym::${t} ALIAS ${t})
endforeach()

# The include folders the targets give their users point into the tree; the
# installed targets give the one include folder instead.
foreach(t ${KV_INSTALLED_LIBRARIES})
  get_target_property(_inc ${t} INTERFACE_INCLUDE_DIRECTORIES)
  set(_wrapped)
  foreach(d ${_inc})
    if(d MATCHES "^\\$<")
      list(APPEND _wrapped "${d}")
    else()
      list(APPEND _wrapped "$<BUILD_INTERFACE:${d}>")
    endif()
  endforeach()
  list(APPEND _wrapped "$<INSTALL_INTERFACE:${KV_INSTALL_INCLUDEDIR}>")
  set_target_properties(${t} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_wrapped}"
    # The libraries find each other, and the run-time modules, beside themselves.
    INSTALL_RPATH "$ORIGIN")
endforeach()

install(TARGETS ${KV_INSTALLED_LIBRARIES}
  EXPORT kvsymTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${KV_INSTALL_INCLUDEDIR})
# The layout engine is loaded at run time from the folder of the libraries
# (line bridges, automatic layout): installed beside them, exported to no one.
set_target_properties(kvlayout16 PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS kvlayout16 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/platform/ DESTINATION ${KV_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/sym/ DESTINATION ${KV_INSTALL_INCLUDEDIR}/sym
  FILES_MATCHING PATTERN "*.h")
install(EXPORT kvsymTargets NAMESPACE kvsym:: DESTINATION ${KV_INSTALL_CMAKEDIR})

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/install/kvsymConfig.cmake.in
  ${CMAKE_BINARY_DIR}/install/kvsymConfig.cmake
  INSTALL_DESTINATION ${KV_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/kvsymConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/kvsymConfig.cmake ${CMAKE_BINARY_DIR}/install/kvsymConfigVersion.cmake
  DESTINATION ${KV_INSTALL_CMAKEDIR})

# pkg-config: the prefix is found from where the file lies, so that the
# tree can be installed under any prefix (cmake --install --prefix) and
# still be found.
file(RELATIVE_PATH KV_PC_PREFIX /kvprefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /kvprefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install/kvsym.pc.in ${CMAKE_BINARY_DIR}/install/kvsym.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/kvsym.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
