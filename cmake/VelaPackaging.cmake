# The Debian package and a tarball of the same installed tree, made from the build as it is:
#   cmake --build <build> --target package
# gives ls7x-su_<version>_<architecture>.deb and .tar.gz in the build folder. The package
# installs below /usr; the tarball unpacks into a folder of its own and runs from wherever it is.
set(VELA_PACKAGE_MAINTAINER "LS7x project <ls7x@example.org>" CACHE STRING
  "Maintainer named in the Debian package")

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VELA_PACKAGE_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT VELA_PACKAGE_ARCH)
  set(VELA_PACKAGE_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_PACKAGE_NAME ls7x-su)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup and diagnostics utility for LS7x laser line scanners")
# Debian shows the description as it stands: lines shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
  "LS7x-SU finds LS71 and LS74 laser line scanners on the network, streams
and draws their profiles and camera images, records measurements, edits and
stores the sensors' parameters and runs their service commands. The package
also holds the sensor emulator ls7x-emulator, which plays scanners on this
machine, and the libraries VelaMath4, VelaWidgets4, VelaStreamer and
VelaDevice3 with their headers and CMake package configurations.")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${VELA_PACKAGE_ARCH})
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME ${CPACK_PACKAGE_FILE_NAME}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VELA_PACKAGE_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The libraries lie in the loader's folders: its cache is renewed once per installation run.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)

# Debian wants a copyright file and a compressed changelog in the package's documentation.
set(VELA_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
string(TIMESTAMP VELA_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/package/changelog)
file(ARCHIVE_CREATE OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.gz
  PATHS ${PROJECT_BINARY_DIR}/package/changelog FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/package/changelog.gz
  DESTINATION ${VELA_PACKAGE_DOCDIR})

include(CPack)
