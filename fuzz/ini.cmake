zvo_fuzz(fuzz_ini platform/ini/IniDocument.cpp platform/rtl/Win1252.cpp)
