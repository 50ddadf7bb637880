# Render tests draw through the real GL path on Mesa's software rasteriser with no display.
if(TARGET vantrel_render)
  file(GLOB RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/render/*.cpp)
  if(RENDER_TEST_SOURCES)
    add_executable(vantrel_render_tests ${RENDER_TEST_SOURCES})
    target_link_libraries(vantrel_render_tests PRIVATE vantrel_render GTest::gtest_main)
    target_compile_definitions(vantrel_render_tests PRIVATE
      VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VANTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    set(render_test_environment "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
    # Under the leak checker: SDL unloads Mesa's driver before the process ends, and what the
    # driver still holds from its own globals would then be reported as leaked from an unknown
    # module, which no suppression can name. Preloaded, the driver stays mapped to the end and
    # its memory stays reachable; leaks of our own are still found.
    if(VANTREL_SANITIZE)
      find_file(VANTREL_MESA_DRIVER swrast_dri.so PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri
                NO_DEFAULT_PATH DOC "Mesa's software rasteriser, kept loaded in the sanitizer build's render tests")
      if(VANTREL_MESA_DRIVER)
        list(APPEND render_test_environment "LD_PRELOAD=${VANTREL_MESA_DRIVER}")
      endif()
    endif()
    gtest_discover_tests(vantrel_render_tests DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS render ENVIRONMENT "${render_test_environment}")
  endif()
endif()
