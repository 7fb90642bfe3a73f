# Bar-code encoding per symbology, beside libzint's when it is installed
# (libzint is a yardstick here and never reaches the library).
add_executable(barcode_bench ${CMAKE_CURRENT_SOURCE_DIR}/barcode_bench.cpp)
target_link_libraries(barcode_bench PRIVATE report_content benchmark::benchmark Qt6::Gui)
find_library(ZINT_LIBRARY zint)
find_path(ZINT_INCLUDE_DIR zint.h)
if(ZINT_LIBRARY AND ZINT_INCLUDE_DIR)
  target_compile_definitions(barcode_bench PRIVATE ZVO_HAVE_ZINT)
  target_include_directories(barcode_bench SYSTEM PRIVATE ${ZINT_INCLUDE_DIR})
  target_link_libraries(barcode_bench PRIVATE ${ZINT_LIBRARY})
endif()
