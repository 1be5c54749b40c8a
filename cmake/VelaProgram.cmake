# vela_install_program(<target> [DESKTOP_ENTRY <file.desktop> ICON <file.png>])
# Installs a program into the binary folder with a run path relative to itself, so that it finds
# the project's libraries wherever the installed tree is put. A desktop program also brings its
# menu entry and its icon (a square PNG named as the entry's Icon= line names it).
function(vela_install_program target)
  cmake_parse_arguments(ARG "" "DESKTOP_ENTRY;ICON" "" ${ARGN})
  file(RELATIVE_PATH libdir_from_bindir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${libdir_from_bindir}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ARG_DESKTOP_ENTRY)
    install(FILES ${ARG_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
  if(ARG_ICON)
    # The icon theme sorts icons by size: width and height stand big-endian at byte 16 of a PNG.
    file(READ ${ARG_ICON} png_size OFFSET 16 LIMIT 4 HEX)
    math(EXPR icon_size "0x${png_size}")
    install(FILES ${ARG_ICON}
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${icon_size}x${icon_size}/apps)
  endif()
endfunction()
