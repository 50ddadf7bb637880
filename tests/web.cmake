# The browser build against the desktop build, when emscripten and node are installed.
if(VANTREL_WORLD_HASHES_JS)
  add_test(NAME WebBuild.WorldHashesMatchTheDesktopForEveryMission
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/web/world_hashes_match.sh
            $<TARGET_FILE:vantrel-world-hashes> ${VANTREL_WORLD_HASHES_JS} ${CMAKE_BINARY_DIR}/data)
  set_tests_properties(WebBuild.WorldHashesMatchTheDesktopForEveryMission PROPERTIES LABELS web TIMEOUT 600)
endif()

# The browser build's sound library, its Web Audio side stood in for by a recorder.
add_executable(vantrel_web_audio_tests ${CMAKE_CURRENT_SOURCE_DIR}/web/audio_test.cpp)
target_link_libraries(vantrel_web_audio_tests PRIVATE vantrel_web_audio GTest::gtest_main)
gtest_discover_tests(vantrel_web_audio_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS sound)
