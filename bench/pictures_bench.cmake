# Pictures on cached pages (one JPEG logo shown ten times a page for 1,000
# pages: the bytes held and the time to build them) and metafile playback.
add_executable(pictures_bench ${CMAKE_CURRENT_SOURCE_DIR}/pictures_bench.cpp)
target_link_libraries(pictures_bench PRIVATE report_content report_model zvo_report_test_support benchmark::benchmark
                                             Qt6::Gui)
