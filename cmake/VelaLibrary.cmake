# vela_install_library(<target> HEADERS <files...> [DEPENDENCIES <find_dependency lines...>])
# Installs a shared library with its public headers and a CMake package config, so that
# another project finds it with find_package(<target>) after cmake --install. The installed
# library finds the project's other libraries beside itself, wherever the tree is put.
function(vela_install_library target)
  cmake_parse_arguments(ARG "" "" "HEADERS;DEPENDENCIES" ${ARGN})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/${target}>)
  install(TARGETS ${target} EXPORT ${target}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ARG_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${target})
  install(EXPORT ${target}Targets NAMESPACE ${target}::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  set(VELA_PACKAGE_NAME ${target})
  string(REPLACE ";" "\n" VELA_PACKAGE_DEPENDENCIES "${ARG_DEPENDENCIES}")
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelaPackageConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
endfunction()
