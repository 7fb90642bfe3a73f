# The tree list's engine against QTreeWidget on a tree of 100,000 nodes:
# expanding, collapsing, prefix search, and painting a viewport. Built by
# default, run by hand:
#   build/bench/grid_bench --benchmark_min_time=0.2
add_executable(grid_bench ${CMAKE_CURRENT_SOURCE_DIR}/grid_bench.cpp)
target_link_libraries(grid_bench PRIVATE grid_paint grid_core benchmark::benchmark Qt6::Widgets)
