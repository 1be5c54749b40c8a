# The thread sanitizer's options of every test program, and of the application suites, whose
# own hand-overs between threads only Qt's locks order (cmake/tsan-app.supp).
set(VELA_TSAN_OPTIONS "suppressions=${PROJECT_SOURCE_DIR}/cmake/tsan.supp")
if(VELA_SANITIZE_THREAD)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/cmake/tsan.supp ${PROJECT_SOURCE_DIR}/cmake/tsan-app.supp)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/tsan.supp tsan_common)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/tsan-app.supp tsan_app)
  file(WRITE ${PROJECT_BINARY_DIR}/tsan-app.supp "${tsan_common}${tsan_app}")
endif()
set(VELA_TSAN_APP_OPTIONS "suppressions=${PROJECT_BINARY_DIR}/tsan-app.supp")

# vela_add_qtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [APP])
# APP: the application's suppressions under the thread sanitizer.
# One QtTest executable per topic, registered with CTest and run offscreen.
function(vela_add_qtest name)
  cmake_parse_arguments(ARG "APP" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set(environment "QT_QPA_PLATFORM=offscreen")
  if(VELA_SANITIZE_THREAD)
    if(ARG_APP)
      list(APPEND environment "TSAN_OPTIONS=${VELA_TSAN_APP_OPTIONS}")
    else()
      list(APPEND environment "TSAN_OPTIONS=${VELA_TSAN_OPTIONS}")
    endif()
  endif()
  # Sanitized builds run several times slower: every device exchange gets three seconds.
  if(VELA_SANITIZE_THREAD OR VELA_SANITIZE_ADDRESS)
    list(APPEND environment "VELA_DEVICE_TIMEOUT_MS=3000")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
