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

# The page in headless Chromium, when emscripten, node and chromium are installed and the tree
# has the browser program (web/main.cpp): the WebAssembly build in build/web-node also lays out
# the page, its data pack made by this build's data tools, and the cases run it against this
# build's game.
find_program(VANTREL_CHROMIUM chromium)
if(VANTREL_WORLD_HASHES_JS AND VANTREL_CHROMIUM AND EXISTS ${CMAKE_SOURCE_DIR}/web/main.cpp
   AND TARGET vantrel AND TARGET vantrel-bake AND TARGET game_data)
  set(web_site_dir ${CMAKE_BINARY_DIR}/web-node/site)
  add_custom_target(vantrel_web_site ALL
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs
            ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DBINARY=${CMAKE_BINARY_DIR}/web-node
            -DEMCMAKE=${VANTREL_EMCMAKE} -DTARGET=vantrel_site -DNATIVE_BUILD=${CMAKE_BINARY_DIR}
            -P ${CMAKE_SOURCE_DIR}/web/build_with_emscripten.cmake
    COMMENT "Building the browser game and laying out its page in ${web_site_dir}" VERBATIM)
  # One emscripten build at a time in web-node; the data tools made first.
  add_dependencies(vantrel_web_site vantrel_web_node vantrel-bake game_data)
  foreach(case loads pictures hashes kept-choices missing-data)
    add_test(NAME WebPage.${case}
      COMMAND node ${CMAKE_CURRENT_SOURCE_DIR}/web/page_tests.mjs ${case} ${web_site_dir}
              ${CMAKE_BINARY_DIR}/web-page-tests $<TARGET_FILE:vantrel> ${CMAKE_BINARY_DIR}/data)
    set_tests_properties(WebPage.${case} PROPERTIES LABELS web TIMEOUT 600 RESOURCE_LOCK chromium)
  endforeach()
endif()

# Cross-play: the page in headless Chromium and the desktop game in one match, on a relay that
# serves the page and through nginx in front of two relays (tests/web/crossplay.mjs drives both).
if(TARGET vantrel_web_site AND TARGET vantrel-relay)
  add_executable(vantrel_crossplay_tests ${CMAKE_CURRENT_SOURCE_DIR}/web/crossplay_test.cpp
                 ${CMAKE_CURRENT_SOURCE_DIR}/relay/local_nginx.cpp)
  target_include_directories(vantrel_crossplay_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/relay)
  target_link_libraries(vantrel_crossplay_tests PRIVATE GTest::gtest_main)
  target_compile_definitions(vantrel_crossplay_tests PRIVATE
    VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VANTREL_BINARY_DIR="${CMAKE_BINARY_DIR}"
    VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data" VANTREL_WEB_SITE="${web_site_dir}"
    VANTREL_GAME="$<TARGET_FILE:vantrel>" VANTREL_RELAY="$<TARGET_FILE:vantrel-relay>")
  add_dependencies(vantrel_crossplay_tests vantrel_web_site vantrel-relay vantrel game_data)
  gtest_discover_tests(vantrel_crossplay_tests DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS "web;net" TIMEOUT 600 RESOURCE_LOCK chromium)
endif()
