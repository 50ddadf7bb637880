# The full soak: 200 whole missions fought by computer pilots alone, up to 20,000 ticks
# each (ctest -L soak). The normal suite runs the same test over a few missions.
add_test(NAME soak.missions COMMAND vantrel_core_tests --gtest_filter=Soak.*)
set_tests_properties(soak.missions PROPERTIES
  LABELS soak ENVIRONMENT VANTREL_SOAK_MISSIONS=200 TIMEOUT 3600)
