# Browser-build targets: the game as a page program (web/index.html is its page), and the
# replay tool as a node program over the test fakes (built here without GoogleTest).
zandor_web_game(zandor)

function(zandor_web_support name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
zandor_web_support(zandor_support_system tests/support zandor_system)
zandor_web_support(zandor_support_graphics tests/support/graphics zandor_support_system zandor_graphics)
zandor_web_support(zandor_support_game tests/support/game zandor_support_graphics zandor_game)
add_subdirectory(tools/replay)
zandor_web_node_tool(zandor-replay)
