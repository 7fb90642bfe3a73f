# The component streams (binary "TPF0" and text "object") with the sample
# classes of the tests; the class layer holds its texts in Qt strings.
find_package(Qt6 REQUIRED COMPONENTS Core Gui)
set(_stream_sources
  platform/classes/Collection.cpp platform/classes/Component.cpp platform/classes/Extended.cpp
  platform/classes/Graphics.cpp platform/classes/MetaClass.cpp platform/classes/ObjectText.cpp
  platform/classes/Persistent.cpp platform/classes/PropInfo.cpp platform/classes/Reader.cpp
  platform/classes/Streams.cpp platform/classes/StringList.cpp platform/classes/TextParser.cpp
  platform/classes/TypInfo.cpp platform/classes/Writer.cpp
  platform/gfx/GdiObjects.cpp platform/rtl/QtText.cpp platform/rtl/Win1252.cpp platform/rtl/Rounding.cpp
  platform/rtl/Exceptions.cpp tests/platform/classes/SampleClasses.cpp)
foreach(_t fuzz_stream_binary fuzz_stream_text)
  zvo_fuzz(${_t} ${_stream_sources})
  target_link_libraries(${_t} PRIVATE Qt6::Core Qt6::Gui)
endforeach()
