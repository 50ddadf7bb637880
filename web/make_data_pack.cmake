# cmake -DSOURCE= -DNATIVE= [-DPREBUILT=ON] -DSTAGING= -DSITE= -DKEYS= -DPACKAGER= -DPYTHON= [-DCCACHE=]
#       -P make_data_pack.cmake
# Builds the data tools natively in NATIVE (unless PREBUILT: a native build whose vantrel-bake
# and data/ are made already), stages the pack's folders in STAGING and packs them into
# SITE/vantrel.data + SITE/vantrel.data.js. See data_pack.cmake.

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "data pack: ${what} failed")
  endif()
endfunction()

# The compilers emscripten's environment may name must not reach the native build.
set(native_env ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX --unset=CFLAGS --unset=CXXFLAGS --unset=LDFLAGS)
if(NOT PREBUILT AND NOT EXISTS ${NATIVE}/CMakeCache.txt)
  set(launcher)
  if(CCACHE)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CCACHE} -DCMAKE_C_COMPILER_LAUNCHER=${CCACHE})
  endif()
  execute_process(
    COMMAND ${native_env} ${CMAKE_COMMAND} -S ${SOURCE} -B ${NATIVE} -G Ninja -DCMAKE_BUILD_TYPE=Release
            -DVANTREL_TESTS=OFF ${launcher}
    RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    file(REMOVE ${NATIVE}/CMakeCache.txt)
    message(FATAL_ERROR "data pack: configuring the native build of the data tools in ${NATIVE} failed")
  endif()
endif()
if(NOT PREBUILT)
  run("building the native data tools" ${native_env} ${CMAKE_COMMAND} --build ${NATIVE} --target game_data vantrel-bake)
endif()

file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING}/data ${STAGING}/keys ${SITE})
file(GLOB data_files LIST_DIRECTORIES false ${NATIVE}/data/*)
foreach(file ${data_files})
  if(NOT file MATCHES "\\.(x|ttf|otf)$" AND NOT file MATCHES "/\\.[^/]*$")
    file(COPY ${file} DESTINATION ${STAGING}/data)
  endif()
endforeach()
run("baking the meshes and glyph atlases" ${NATIVE}/vantrel-bake ${NATIVE}/data ${STAGING}/data)
file(GLOB key_scripts ${KEYS}/*.keys)
file(COPY ${key_scripts} DESTINATION ${STAGING}/keys)

run("packing the data with file_packager"
    ${CMAKE_COMMAND} -E chdir ${STAGING}
    ${PYTHON} ${PACKAGER} ${SITE}/vantrel.data --preload data@/data keys@/keys
    --js-output=${SITE}/vantrel.data.js --no-node)
