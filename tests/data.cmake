# Tests of the data generator: the files it makes, their formats and the directory check.
if(TARGET vantrel_data)
  file(GLOB DATA_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/*.cpp)
  add_executable(vantrel_data_tests ${DATA_TEST_SOURCES})
  target_link_libraries(vantrel_data_tests PRIVATE vantrel_data GTest::gtest_main)
  target_compile_definitions(vantrel_data_tests PRIVATE VANTREL_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(vantrel_data_tests game_data)
  gtest_discover_tests(vantrel_data_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS data)
  # The tool itself: a fresh directory checks clean, a damaged one is reported.
  add_test(NAME data_tool_check_passes COMMAND vantrel-data --check ${CMAKE_BINARY_DIR}/data)
  set_tests_properties(data_tool_check_passes PROPERTIES LABELS data)
  add_test(NAME data_tool_check_reports_missing_directory COMMAND vantrel-data --check ${CMAKE_BINARY_DIR}/no-such-data)
  set_tests_properties(data_tool_check_reports_missing_directory PROPERTIES LABELS data WILL_FAIL TRUE)
endif()
