# Render tests draw through the real GL path on Mesa's software rasteriser with no display.
if(TARGET vantrel_render)
  file(GLOB RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/render/*.cpp)
  if(RENDER_TEST_SOURCES)
    add_executable(vantrel_render_tests ${RENDER_TEST_SOURCES})
    target_link_libraries(vantrel_render_tests PRIVATE vantrel_render GTest::gtest_main)
    target_compile_definitions(vantrel_render_tests PRIVATE
      VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VANTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(vantrel_render_tests DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS render ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
  endif()
endif()
