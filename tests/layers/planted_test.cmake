# Runs cmake/CheckLayers.cmake on the real tree (it must pass), on a scratch tree of lawful
# includes (it must pass) and on scratch trees each holding one planted crossing (each must fail
# and name the planted file).
cmake_minimum_required(VERSION 3.25)
set(check ${ROOT}/cmake/CheckLayers.cmake)

function(run_check root result_var output_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${root} -DLAYERS=${LAYERS} -P ${check}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${out}${err}" PARENT_SCOPE)
endfunction()

function(plant root file text)
  file(WRITE ${root}/${file} "${text}\n")
endfunction()

run_check(${ROOT} result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the tree itself crosses its layers:\n${output}")
endif()

file(REMOVE_RECURSE ${SCRATCH})
set(lawful ${SCRATCH}/lawful)
plant(${lawful} world/a.h "#include <cstdint>")
plant(${lawful} sim/b.cpp "#include \"world/a.h\"")
plant(${lawful} render/c.cpp "#include <epoxy/gl.h>\n#include \"game/d.h\"")
plant(${lawful} play/e.cpp "#include \"render/c.h\"\n#include \"sound/f.h\"")
plant(${lawful} app/g.cpp "#include <SDL.h>\n#include \"play/e.h\"\n#include \"ezds/h.h\"")
plant(${lawful} web/i.cpp "#include <emscripten/html5.h>\n#include \"play/e.h\"")
run_check(${lawful} result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lawful includes were refused:\n${output}")
endif()

# folder/file of the planted crossing, and its line.
set(crossings
  "sim/up.cpp|#include \"game/flow.h\""
  "world/render.h|#include \"render/device.h\""
  "game/play.cpp|#include \"play/session.h\""
  "sound/sim.cpp|#include \"sim/flight.h\""
  "render/up.cpp|#include \"play/session.h\""
  "play/app.cpp|#include \"app/keymap.h\""
  "play/sdl.cpp|#include <SDL.h>"
  "game/gl.cpp|#include <epoxy/gl.h>"
  "world/socket.cpp|#include <libwebsockets.h>"
  "app/web.cpp|#include \"web/audio.h\""
  "web/app.cpp|#include \"app/game.h\""
  "sim/unqualified.cpp|#include \"flight.h\"")
set(n 0)
foreach(crossing ${crossings})
  string(REPLACE "|" ";" parts "${crossing}")
  list(GET parts 0 file)
  list(GET parts 1 line)
  math(EXPR n "${n} + 1")
  set(tree ${SCRATCH}/planted-${n})
  plant(${tree} world/ok.h "#include <cstdint>")
  plant(${tree} ${file} "${line}")
  run_check(${tree} result output)
  if(result EQUAL 0)
    message(FATAL_ERROR "a planted crossing passed: ${file}: ${line}")
  endif()
  if(NOT output MATCHES "${file}")
    message(FATAL_ERROR "the report does not name ${file}:\n${output}")
  endif()
  if(output MATCHES "ok.h")
    message(FATAL_ERROR "a lawful file was reported beside ${file}:\n${output}")
  endif()
endforeach()
message(STATUS "layer check: the tree passes, ${n} planted crossings fail")
