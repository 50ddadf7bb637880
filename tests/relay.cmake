# The relay over real sockets on 127.0.0.1: the vantrel-relay program and the relay the game hosts.
if(TARGET vantrel_relay AND TARGET game_data)
  file(GLOB RELAY_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/relay/*.cpp)
  add_executable(vantrel_relay_tests ${RELAY_TEST_SOURCES})
  target_link_libraries(vantrel_relay_tests PRIVATE vantrel_relay vantrel_core GTest::gtest_main)
  target_compile_definitions(vantrel_relay_tests PRIVATE VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data"
                             VANTREL_BINARY_DIR="${CMAKE_BINARY_DIR}" VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(vantrel_relay_tests game_data vantrel-relay)
  gtest_discover_tests(vantrel_relay_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS net TIMEOUT 300)
endif()
