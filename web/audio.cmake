# The browser build's sound library: the seven operations (web/audio.cpp) over Web Audio
# (web/audio.js, linked in as a JavaScript library). Natively it is built for its tests only,
# which stand in for the JavaScript side.
add_library(vantrel_web_audio STATIC ${CMAKE_CURRENT_LIST_DIR}/audio.cpp)
target_include_directories(vantrel_web_audio PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vantrel_web_audio PUBLIC vantrel_sound PRIVATE ezds_engine)
if(EMSCRIPTEN)
  target_link_options(vantrel_web_audio INTERFACE "SHELL:--js-library ${CMAKE_CURRENT_LIST_DIR}/audio.js")
  set_property(TARGET vantrel_web_audio APPEND PROPERTY INTERFACE_LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/audio.js)
endif()
