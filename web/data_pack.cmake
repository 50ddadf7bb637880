# The page's data pack (emscripten builds only): the generated data directory without what
# only desktop libraries read (the .x meshes, fonts), with what vantrel-bake makes of them
# instead, and the key scripts shipped for tests, packed by emscripten's file_packager into
# vantrel.data and its loader vantrel.data.js (mounted at /data and /keys).
# The data tools are native programs: they run from VANTREL_NATIVE_BUILD when it names a
# native build of this tree that has made them and its data (the desktop build does, for its
# page tests), else from a native build of their own under native/ (configured on first use).
find_program(VANTREL_FILE_PACKAGER file_packager.py
  PATHS /usr/share/emscripten/tools ${EMSCRIPTEN_ROOT_PATH}/tools NO_DEFAULT_PATH REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)
find_program(VANTREL_CCACHE ccache)

set(VANTREL_SITE_DIR ${CMAKE_BINARY_DIR}/site CACHE PATH "Where the page is laid out")
set(VANTREL_NATIVE_BUILD "" CACHE PATH "A native build of this tree with vantrel-bake and data/ made")
if(VANTREL_NATIVE_BUILD)
  set(native_tools -DNATIVE=${VANTREL_NATIVE_BUILD} -DPREBUILT=ON)
else()
  set(native_tools -DNATIVE=${CMAKE_BINARY_DIR}/native)
endif()
add_custom_target(vantrel_data_pack ALL
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE=${CMAKE_SOURCE_DIR} ${native_tools}
          -DSTAGING=${CMAKE_BINARY_DIR}/data-pack -DSITE=${VANTREL_SITE_DIR}
          -DKEYS=${CMAKE_SOURCE_DIR}/tests/web/keys -DPACKAGER=${VANTREL_FILE_PACKAGER}
          -DPYTHON=${Python3_EXECUTABLE} -DCCACHE=${VANTREL_CCACHE}
          -P ${CMAKE_CURRENT_LIST_DIR}/make_data_pack.cmake
  COMMENT "Making the page's data pack vantrel.data with the native data tools" VERBATIM)

# The whole page in the site folder: the page's own files, the game (vantrel-web, defined in
# this folder's CMakeLists.txt, hence the deferred call) and the data pack.
function(vantrel_add_site_target)
  if(NOT TARGET vantrel-web)
    return()
  endif()
  file(GLOB page_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/web/page/*)
  add_custom_target(vantrel_site ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTREL_SITE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${page_files} ${VANTREL_SITE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vantrel-web>
            $<TARGET_FILE_DIR:vantrel-web>/$<TARGET_FILE_BASE_NAME:vantrel-web>.wasm ${VANTREL_SITE_DIR}
    DEPENDS ${page_files}
    COMMENT "Laying out the page in ${VANTREL_SITE_DIR}" VERBATIM)
  add_dependencies(vantrel_site vantrel-web vantrel_data_pack)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vantrel_add_site_target)
