# Search, replace and result-page scraping speed on a 1 MB HTML-like page.
add_executable(text_bench ${CMAKE_CURRENT_SOURCE_DIR}/text_bench.cpp)
target_link_libraries(text_bench PRIVATE foundation benchmark::benchmark)
