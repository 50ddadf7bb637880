# Determinism across builds: configured with -DVANTREL_REFERENCE_BUILD=<another build tree>
# (scripts/test gives the sanitizer build the normal build), the same seed and key script must
# give the same world, tick for tick, in both builds, and the data generator the same files.
set(VANTREL_REFERENCE_BUILD "" CACHE PATH "Another build tree whose vantrel-sim and data must agree with this one's")
if(VANTREL_REFERENCE_BUILD AND TARGET vantrel-sim)
  add_test(NAME determinism.world_across_builds
    COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:vantrel-sim>
            -DREFERENCE_SIM=${VANTREL_REFERENCE_BUILD}/vantrel-sim -DDATA=${CMAKE_BINARY_DIR}/data
            -DKEYS=${CMAKE_CURRENT_SOURCE_DIR}/sanitize/determinism.keys
            -DOUT=${CMAKE_BINARY_DIR}/determinism
            -P ${CMAKE_CURRENT_SOURCE_DIR}/sanitize/compare_builds.cmake)
  set_tests_properties(determinism.world_across_builds PROPERTIES LABELS determinism TIMEOUT 600)
  if(TARGET game_data)
    add_test(NAME determinism.data_across_builds
      COMMAND ${CMAKE_COMMAND} -DDATA=${CMAKE_BINARY_DIR}/data -DREFERENCE_DATA=${VANTREL_REFERENCE_BUILD}/data
              -P ${CMAKE_CURRENT_SOURCE_DIR}/sanitize/compare_data.cmake)
    set_tests_properties(determinism.data_across_builds PROPERTIES LABELS determinism)
  endif()
endif()
