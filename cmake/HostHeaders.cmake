# The browser build uses Debian's header-only libraries (glm, stb, CLI11, xxHash), which live in
# /usr/include beside the host's C library headers that emscripten must never see: only their
# own folders and files are linked into the build tree and offered as vantrel_host_headers.
set(host_include ${CMAKE_BINARY_DIR}/host-include)
file(MAKE_DIRECTORY ${host_include})
foreach(dir glm stb CLI xxhash.h)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: scripts/install-deps installs it")
  endif()
  if(NOT EXISTS ${host_include}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${host_include}/${dir} SYMBOLIC)
  endif()
endforeach()
add_library(vantrel_host_headers INTERFACE)
target_include_directories(vantrel_host_headers SYSTEM INTERFACE ${host_include} ${host_include}/stb)
