# Browser-build targets: the game as a page program (web/index.html is its page), and the
# replay tool as a node program over the headless platform.
zandor_web_game(zandor)

add_subdirectory(tools/replay)
zandor_web_node_tool(zandor-replay)
