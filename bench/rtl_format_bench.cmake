# Number, date and mask formatting against the C library and Qt, over the
# same 10,000 values. Built by default, run by hand:
#   build/bench/rtl_format_bench --benchmark_min_time=0.2
add_executable(rtl_format_bench ${CMAKE_CURRENT_SOURCE_DIR}/rtl_format_bench.cpp)
target_link_libraries(rtl_format_bench PRIVATE platform_rtl benchmark::benchmark)
