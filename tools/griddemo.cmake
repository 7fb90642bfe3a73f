# The tree-list grid on its own: griddemo opens a fixed three-band grid of
# 300 nodes in a window; griddemo --render grid.png paints it to a picture;
# griddemo --script FILE drives it and checks the outcome.
# The grid itself is a library so that tests can lay it out as griddemo does.
add_library(griddemo_grid STATIC "${CMAKE_CURRENT_LIST_DIR}/griddemo_grid.cpp")
target_include_directories(griddemo_grid PUBLIC "${CMAKE_CURRENT_LIST_DIR}")
target_link_libraries(griddemo_grid PUBLIC grid_core platform_gfx Qt6::Gui)
add_executable(griddemo "${CMAKE_CURRENT_LIST_DIR}/griddemo.cpp" "${CMAKE_CURRENT_LIST_DIR}/griddemo_script.cpp")
target_link_libraries(griddemo PRIVATE griddemo_grid grid_widgets platform_shell Qt6::Widgets Qt6::Test)
