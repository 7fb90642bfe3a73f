# The tree-list grid on its own: griddemo opens a fixed three-band grid of
# 300 nodes in a window; griddemo --render grid.png paints it to a picture.
add_executable(griddemo "${CMAKE_CURRENT_LIST_DIR}/griddemo.cpp")
target_link_libraries(griddemo PRIVATE grid_widgets Qt6::Widgets)
