# Report templates: any bytes loaded into a live report in a form, with every
# class of the model and content layers registered. The load reaches most of
# both layers (every class a stream may name), so their sources come whole.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB_RECURSE _template_code RELATIVE "${_root}" CONFIGURE_DEPENDS
  "${_root}/platform/classes/*.cpp" "${_root}/platform/rtl/*.cpp" "${_root}/platform/gfx/*.cpp"
  "${_root}/platform/richedit/*.cpp"
  "${_root}/report/model/*.cpp" "${_root}/report/content/*.cpp")
zvo_fuzz(fuzz_template ${_template_code} platform/print/PrinterBackend.cpp)
target_link_libraries(fuzz_template PRIVATE Qt6::Core Qt6::Gui)
