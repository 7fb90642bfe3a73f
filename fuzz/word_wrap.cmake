# Word wrapping of random text into random widths with every flag: no
# character is placed twice and the position always moves on.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB _wrap RELATIVE "${_root}" CONFIGURE_DEPENDS
  "${_root}/report/model/text/*.cpp" "${_root}/report/model/base/*.cpp" "${_root}/report/model/objects/*.cpp"
  "${_root}/report/model/printing/*.cpp" "${_root}/platform/classes/*.cpp" "${_root}/platform/gfx/*.cpp"
  "${_root}/platform/rtl/*.cpp" "${_root}/platform/print/*.cpp" "${_root}/platform/print/fake/*.cpp")
zvo_fuzz(fuzz_word_wrap ${_wrap})
target_link_libraries(fuzz_word_wrap PRIVATE Qt6::Core Qt6::Gui)
