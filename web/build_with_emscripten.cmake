# cmake -DSOURCE=DIR -DBINARY=DIR -DEMCMAKE=emcmake -DTARGET=name [-DNATIVE_BUILD=DIR]
#       -P build_with_emscripten.cmake
# Configures BINARY with emscripten's toolchain once (again when NATIVE_BUILD, the native build
# whose data tools its page uses, changes), then builds TARGET there.
set(native_line "VANTREL_NATIVE_BUILD:PATH=${NATIVE_BUILD}")
if(EXISTS ${BINARY}/CMakeCache.txt)
  file(STRINGS ${BINARY}/CMakeCache.txt configured REGEX "^VANTREL_NATIVE_BUILD:")
endif()
if(NOT EXISTS ${BINARY}/CMakeCache.txt OR (NATIVE_BUILD AND NOT configured STREQUAL native_line))
  execute_process(
    COMMAND ${EMCMAKE} ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G Ninja -DCMAKE_BUILD_TYPE=Release
            -DVANTREL_NATIVE_BUILD=${NATIVE_BUILD}
    RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    file(REMOVE ${BINARY}/CMakeCache.txt)
    message(FATAL_ERROR "configuring the WebAssembly build in ${BINARY} failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target ${TARGET} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building ${TARGET} in ${BINARY} failed")
endif()
