# The RTF reader and writer on a 1 MB document beside Qt's own HTML reader
# and writer of the same document, and the pages of a 100-page rich text
# worked out at 600 dpi.
#   build/bench/richedit_bench --benchmark_min_time=0.2s
add_executable(richedit_bench ${CMAKE_CURRENT_SOURCE_DIR}/richedit_bench.cpp)
target_link_libraries(richedit_bench PRIVATE report_content platform_richedit benchmark::benchmark Qt6::Gui)
