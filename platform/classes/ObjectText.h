#pragma once

// Conversion between the binary form ("TPF0" and one component) and the text
// form ("object Name: Class ... end"), streaming from one stream to the
// other. Numbers always use '.', whatever the locale.
//
// The text written is canonical: two-space indents, CR LF line ends, every
// character outside printable ASCII as #nnn (a UTF-16 code unit, so the text
// is valid ASCII and UTF-8 alike), texts cut into pieces of 64 characters
// joined by '+', and floats in the fewest digits that read back to the same
// value (suffix s for Single, c for Currency, d for Date).

namespace classes {

class TStream;

// Reads the signature and one component from input; the bytes after it are
// left unread. EReadError for malformed input.
void ObjectBinaryToText(TStream &input, TStream &output);

// Reads one object from input (nothing but blank space may follow) and
// writes the signature and the component. EParserError for malformed input.
void ObjectTextToBinary(TStream &input, TStream &output);

} // namespace classes
