# cmake -DSOURCE=DIR -DBINARY=DIR -DEMCMAKE=emcmake -DTARGET=name -P build_with_emscripten.cmake
# Configures BINARY with emscripten's toolchain once, then builds TARGET there.
if(NOT EXISTS ${BINARY}/CMakeCache.txt)
  execute_process(
    COMMAND ${EMCMAKE} ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G Ninja -DCMAKE_BUILD_TYPE=Release
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
