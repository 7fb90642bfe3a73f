#pragma once

// reportdemo's rich text sample: one stretching rich text in the title band
// holding a generated document of three A4 pages (bold, italic, colours,
// sizes, the four alignments, tab stops and a character beyond Latin-1 in
// every paragraph), and no other text, so that every character printed is
// one of the document's.

#include <QByteArray>

#include <memory>

namespace report {
class TppReport;
}

namespace reportdemo {

QByteArray RichTextSampleRtf();
std::unique_ptr<report::TppReport> CreateRichTextSample();

} // namespace reportdemo
