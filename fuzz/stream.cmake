# The component streams (binary "TPF0" and text "object") with the sample
# classes of the tests; the class layer holds its texts in Qt strings.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB _classes RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/classes/*.cpp")
foreach(_t fuzz_stream_binary fuzz_stream_text)
  zvo_fuzz(${_t} ${_classes}
    platform/gfx/GdiObjects.cpp platform/rtl/QtText.cpp platform/rtl/Win1252.cpp platform/rtl/Rounding.cpp
    platform/rtl/Exceptions.cpp tests/platform/classes/SampleClasses.cpp)
  target_link_libraries(${_t} PRIVATE Qt6::Core Qt6::Gui)
endforeach()
