# Fails unless two data directories hold the same files with the same bytes.
# -DDATA=<this build's data> -DREFERENCE_DATA=<the other build's>
file(GLOB mine RELATIVE ${DATA} ${DATA}/*)
file(GLOB theirs RELATIVE ${REFERENCE_DATA} ${REFERENCE_DATA}/*)
if(NOT mine)
  message(FATAL_ERROR "${DATA} is empty")
endif()
if(NOT mine STREQUAL theirs)
  message(FATAL_ERROR "the data directories list different files:\n${mine}\n${theirs}")
endif()
foreach(name ${mine})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DATA}/${name} ${REFERENCE_DATA}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs between ${DATA} and ${REFERENCE_DATA}")
  endif()
endforeach()
