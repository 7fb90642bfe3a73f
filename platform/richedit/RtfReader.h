#pragma once

// Rich Text Format into a QTextDocument. The reader takes what WordPad, Word
// and the report library write: font and colour tables, code pages, escapes,
// character and paragraph formats, tab stops, list numbers as text, PNG,
// JPEG, DIB and metafile pictures, and tables as tab-separated paragraphs.
// Input comes from report files and data fields, so it is read as far as it
// goes: unknown control words are passed over, open groups end with the
// input, and what lies past the limits below is dropped.

#include <QByteArrayView>

class QTextDocument;

namespace richedit {

// Groups nested deeper than this are skipped whole.
constexpr int RtfMaxGroupDepth = 1000;
// Entries of the font and the colour table beyond these are ignored.
constexpr int RtfMaxTableEntries = 32768;
// Tab stops of one paragraph beyond this are ignored.
constexpr int RtfMaxTabStops = 256;
// Picture data (hex or \bin) beyond this is not kept, nor shown.
constexpr qsizetype RtfMaxPictureBytes = qsizetype(32) * 1024 * 1024;
// A picture is shown no larger than this many pixels a side.
constexpr int RtfMaxPictureSide = 10000;
// The pixels of all pictures of one document together; pictures past this
// are dropped, so that a small input of many large pictures cannot take
// gigabytes once decoded.
constexpr qint64 RtfMaxDocumentPicturePixels = qint64(100) * 1000 * 1000;

// Data starting with "{\rtf" is RTF; anything else is plain text.
bool IsRtf(QByteArrayView data);

// Replaces the document's content with the RTF's. Pictures become image
// resources of the document named "rtfpict:<n>".
void ReadRtf(QByteArrayView rtf, QTextDocument &document);

} // namespace richedit
