# Auto-search criteria: any value text under any data type and operator.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB_RECURSE _auto_search_code RELATIVE "${_root}" CONFIGURE_DEPENDS
  "${_root}/platform/classes/*.cpp" "${_root}/platform/rtl/*.cpp" "${_root}/platform/gfx/*.cpp"
  "${_root}/platform/richedit/*.cpp"
  "${_root}/report/model/*.cpp" "${_root}/report/content/*.cpp")
zvo_fuzz(fuzz_auto_search ${_auto_search_code} platform/print/PrinterBackend.cpp)
