# The program: unit tests of its pieces (tests/app/: command line, key map, keyboard, gamepad, the
# session both programs share) and end-to-end runs of the real executable (tests/e2e/) on the
# offscreen video driver (and, where Xvfb and xdotool exist, on a real X server).
if(TARGET vantrel)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(APP_TEST_STB REQUIRED IMPORTED_TARGET stb)
  file(GLOB APP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*.cpp)
  # The browser's key and pad mapping is plain C++: checked here against the desktop's.
  add_executable(vantrel_app_tests ${APP_TEST_SOURCES}
    ${CMAKE_SOURCE_DIR}/web/platform_keys.cpp ${CMAKE_SOURCE_DIR}/web/platform_pad.cpp)
  target_link_libraries(vantrel_app_tests PRIVATE vantrel_app GTest::gtest_main PkgConfig::APP_TEST_STB)
  target_compile_definitions(vantrel_app_tests PRIVATE
    VANTREL_EXE="$<TARGET_FILE:vantrel>" VANTREL_SIM="$<TARGET_FILE:vantrel-sim>"
    TCP_PROXY="${CMAKE_CURRENT_SOURCE_DIR}/e2e/tcp_proxy.py"
    VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(vantrel_app_tests vantrel vantrel-sim)
  if(TARGET game_data)
    add_dependencies(vantrel_app_tests game_data)
  endif()
  gtest_discover_tests(vantrel_app_tests DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS app TIMEOUT 900
               ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
endif()

# cmake --install into a scratch prefix, then the installed game run from another directory.
if(TARGET vantrel)
  add_test(NAME app.install
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/install_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND}
                   ${CMAKE_BINARY_DIR}/install-test)
  set_tests_properties(app.install PROPERTIES LABELS app TIMEOUT 300)
endif()
