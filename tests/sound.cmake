# Sound: stand-in libraries for the binding tests in the core suite, and a suite of its own
# for the real libezds.so, played on SDL's disk audio driver.
foreach(variant recording incomplete)
  add_library(ezds_${variant} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/sound/recording_library.cpp)
  target_include_directories(ezds_${variant} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(ezds_${variant} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/sound)
  add_dependencies(vantrel_core_tests ezds_${variant})
endforeach()
target_compile_definitions(ezds_incomplete PRIVATE RECORDING_WITHOUT_VERSION)
target_compile_definitions(vantrel_core_tests PRIVATE
  VANTREL_RECORDING_LIBRARY="$<TARGET_FILE:ezds_recording>"
  VANTREL_INCOMPLETE_LIBRARY="$<TARGET_FILE:ezds_incomplete>")

if(TARGET ezds)
  file(GLOB SOUND_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sound/*_test.cpp)
  add_executable(vantrel_sound_tests ${SOUND_TEST_SOURCES})
  target_link_libraries(vantrel_sound_tests PRIVATE vantrel_core ezds_engine GTest::gtest_main)
  add_dependencies(vantrel_sound_tests ezds)
  target_compile_definitions(vantrel_sound_tests PRIVATE VANTREL_EZDS_LIBRARY="$<TARGET_FILE:ezds>")
  gtest_discover_tests(vantrel_sound_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS sound)

  # The listening check: renders every sound of a data directory to files and measures them.
  add_executable(ezds-listen ${CMAKE_CURRENT_SOURCE_DIR}/sound/listen.cpp)
  target_link_libraries(ezds-listen PRIVATE vantrel_core)
  add_dependencies(ezds-listen ezds)
endif()

# The real game with sound on, on the offscreen video driver.
if(TARGET vantrel AND TARGET ezds)
  add_executable(vantrel_game_sound_tests ${CMAKE_CURRENT_SOURCE_DIR}/sound/game_sound_e2e.cpp)
  target_link_libraries(vantrel_game_sound_tests PRIVATE GTest::gtest_main)
  target_compile_definitions(vantrel_game_sound_tests PRIVATE
    VANTREL_EXE="$<TARGET_FILE:vantrel>" VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(vantrel_game_sound_tests vantrel ezds)
  if(TARGET game_data)
    add_dependencies(vantrel_game_sound_tests game_data)
  endif()
  gtest_discover_tests(vantrel_game_sound_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS sound TIMEOUT 120)
endif()
