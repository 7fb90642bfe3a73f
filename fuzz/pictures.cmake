# The picture readers: bitmaps (BMP and raw DIB), icons, GIF and JPEG images, metafiles
# and a picture's stream data, from random bytes.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
get_filename_component(_root "${CMAKE_CURRENT_SOURCE_DIR}/.." ABSOLUTE)
file(GLOB _classes RELATIVE "${_root}" CONFIGURE_DEPENDS "${_root}/platform/classes/*.cpp")
zvo_fuzz(fuzz_pictures ${_classes}
  platform/gfx/GdiObjects.cpp platform/gfx/Dib.cpp platform/gfx/MetafilePlayer.cpp platform/gfx/MetafileWmf.cpp
  platform/gfx/MetafileEmf.cpp platform/rtl/QtText.cpp platform/rtl/Win1252.cpp platform/rtl/Rounding.cpp
  platform/rtl/Exceptions.cpp)
target_link_libraries(fuzz_pictures PRIVATE Qt6::Core Qt6::Gui)
