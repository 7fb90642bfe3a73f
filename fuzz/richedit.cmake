# The RTF reader and writer: random bytes read as RTF, written and read
# again, keep their plain text.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
zvo_fuzz(fuzz_richedit platform/richedit/RtfReader.cpp platform/richedit/RtfWriter.cpp
  platform/richedit/RtfPicture.cpp platform/richedit/RtfCodePages.cpp platform/gfx/Dib.cpp platform/gfx/MetafilePlayer.cpp
  platform/gfx/MetafileWmf.cpp platform/gfx/MetafileEmf.cpp platform/rtl/Win1252.cpp)
target_link_libraries(fuzz_richedit PRIVATE Qt6::Core Qt6::Gui)
