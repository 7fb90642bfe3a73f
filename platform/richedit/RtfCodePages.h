#pragma once

// The code pages of RTF text: the document's \ansicpg and the fonts'
// \fcharset, named as QStringDecoder knows them.

namespace richedit {

// The decoder's name of a Windows code page; windows-1252 for one it does
// not know.
const char *RtfCodePageName(int codePage);
// The code page of a font's character set; 0 for the document's own.
int RtfCharsetCodePage(int charset);
// Code pages whose characters may take two bytes.
bool RtfIsMultiByte(int codePage);

} // namespace richedit
