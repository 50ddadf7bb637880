# The browser build against the desktop build, when emscripten and node are installed.
if(VANTREL_WORLD_HASHES_JS)
  add_test(NAME WebBuild.WorldHashesMatchTheDesktopForEveryMission
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/web/world_hashes_match.sh
            $<TARGET_FILE:vantrel-world-hashes> ${VANTREL_WORLD_HASHES_JS} ${CMAKE_BINARY_DIR}/data)
  set_tests_properties(WebBuild.WorldHashesMatchTheDesktopForEveryMission PROPERTIES LABELS web TIMEOUT 600)
endif()
