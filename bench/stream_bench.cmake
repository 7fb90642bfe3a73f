# Component streams, binary and text, both ways, at 2,500 and 10,000
# components; MB/s and peak memory.
add_executable(stream_bench ${CMAKE_CURRENT_SOURCE_DIR}/stream_bench.cpp
  ${PROJECT_SOURCE_DIR}/tests/platform/classes/SampleClasses.cpp)
target_link_libraries(stream_bench PRIVATE platform_classes benchmark::benchmark)
# The sample classes come from the class layer's tests.
zvo_include_root(stream_bench PRIVATE stream_bench "${PROJECT_SOURCE_DIR}/tests/platform/classes" SampleClasses.h)
