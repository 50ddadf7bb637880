# The Debian package: made with cpack, unpacked with dpkg -x and checked (tests/e2e/package_test.sh).
if(TARGET vantrel)
  add_test(NAME app.package
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/package_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND}
                   ${CMAKE_BINARY_DIR}/package-test ${PROJECT_VERSION})
  set_tests_properties(app.package PROPERTIES LABELS app TIMEOUT 600)
endif()
