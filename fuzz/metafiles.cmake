# The metafile reader and player: random bytes as a WMF or EMF, read and
# played onto a small image.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
zvo_fuzz(fuzz_metafiles platform/gfx/Dib.cpp platform/gfx/MetafilePlayer.cpp platform/gfx/MetafileWmf.cpp
  platform/gfx/MetafileEmf.cpp platform/rtl/Win1252.cpp)
target_link_libraries(fuzz_metafiles PRIVATE Qt6::Core Qt6::Gui)
