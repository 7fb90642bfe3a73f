# The text-node tree list against QTreeWidget on a tree of 100,000 nodes:
# header-click sorts, the heap each node costs, layouts and hit tests. Built
# by default, run by hand:
#   taskset -c 6 build/bench/grid_columns_bench --benchmark_min_time=0.2
add_executable(grid_columns_bench ${CMAKE_CURRENT_SOURCE_DIR}/grid_columns_bench.cpp)
target_link_libraries(grid_columns_bench PRIVATE grid_core benchmark::benchmark Qt6::Widgets)
