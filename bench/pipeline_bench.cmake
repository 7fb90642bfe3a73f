# Traversal of memory pipelines (alone, with receivers, linked with skipping)
# and the page cache (saving and restoring pages, one spill of 64 MiB).
add_executable(pipeline_bench ${CMAKE_CURRENT_SOURCE_DIR}/pipeline_bench.cpp)
target_link_libraries(pipeline_bench PRIVATE report_model zvo_report_test_support benchmark::benchmark)
