# Text measuring and drawing on the Canvas, the cost behind every grid cell.
#   build/bench/gfx_text_bench --benchmark_min_time=0.2s
add_executable(gfx_text_bench ${CMAKE_CURRENT_SOURCE_DIR}/gfx_text_bench.cpp)
target_link_libraries(gfx_text_bench PRIVATE platform_gfx grid_paint benchmark::benchmark)
