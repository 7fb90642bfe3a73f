# Pages through the publisher: generated with and without the page cache,
# served from the cache, and cache insertion at 1,000 and 10,000 pages.
add_executable(publisher_bench ${CMAKE_CURRENT_SOURCE_DIR}/publisher_bench.cpp)
target_link_libraries(publisher_bench PRIVATE report_model zvo_report_test_support benchmark::benchmark)
