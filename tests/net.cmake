# Network play: the protocol, the relay's and the client's logic on an in-process network with
# a virtual clock. They fly real missions, so they need the generated data.
if(TARGET game_data)
  file(GLOB NET_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/net/*.cpp)
  add_executable(vantrel_net_tests ${NET_TEST_SOURCES})
  target_link_libraries(vantrel_net_tests PRIVATE vantrel_net GTest::gtest_main)
  target_compile_definitions(vantrel_net_tests PRIVATE VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(vantrel_net_tests game_data)
  gtest_discover_tests(vantrel_net_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS net TIMEOUT 300)
endif()
