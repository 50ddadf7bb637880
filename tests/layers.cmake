# The layer check: the tree passes, and every kind of crossing planted in a scratch tree fails.
string(REPLACE ";" "|" layers "${VANTREL_LAYERS}")
add_test(NAME layers.planted_crossings
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DLAYERS=${layers}
                 -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/layers-scratch -P ${CMAKE_CURRENT_SOURCE_DIR}/layers/planted_test.cmake)
set_tests_properties(layers.planted_crossings PROPERTIES LABELS core)
