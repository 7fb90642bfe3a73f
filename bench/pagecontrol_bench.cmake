# Pages added to and removed from the page control, their captions measured
# by the real text measurer. Built by default, run by hand:
#   taskset -c 6 build/bench/pagecontrol_bench --benchmark_min_time=0.2
add_executable(pagecontrol_bench ${CMAKE_CURRENT_SOURCE_DIR}/pagecontrol_bench.cpp)
target_link_libraries(pagecontrol_bench PRIVATE pagecontrol benchmark::benchmark Qt6::Widgets)
