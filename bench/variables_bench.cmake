# What variables and data calculations add to page generation: a grouped
# report over 100,000 memory records to a device that discards its pages,
# as is, with 20 variables and 5 data calculations, and with look-ahead on
# the calculations (two passes). Run by hand, one configuration at a time
# for its peak memory:
#   build/bench/variables_bench --benchmark_filter=BM_Variables/1
add_executable(variables_bench ${CMAKE_CURRENT_SOURCE_DIR}/variables_bench.cpp)
target_link_libraries(variables_bench PRIVATE report_content report_model zvo_report_test_support benchmark::benchmark
                                              Qt6::Gui)
