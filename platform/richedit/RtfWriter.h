#pragma once

// A QTextDocument as Rich Text Format. The same document always gives the
// same bytes: reports compare the RTF of two pages and keep it in their
// files, so the writer emits one fixed subset (every run states its whole
// format) in the order the document holds it. What the reader takes, the
// writer gives back: fonts, sizes, styles, colours, super- and subscript,
// alignment, indents, spacing, tab stops and pictures (as PNG).

#include <QByteArray>

class QTextDocument;

namespace richedit {

QByteArray WriteRtf(const QTextDocument &document);

} // namespace richedit
