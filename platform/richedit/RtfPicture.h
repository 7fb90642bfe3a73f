#pragma once

// The pictures of an RTF document: the data of a \pict group as it is read,
// and the image it shows.

#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace richedit {

enum class RtfPictureKind { Unknown, Png, Jpeg, Dib, Wmf, Emf };

struct RtfPictureData
{
    RtfPictureKind kind = RtfPictureKind::Unknown;
    QByteArray bytes;
    int pendingNibble = -1;
    int width = 0; // \picw: pixels, or hundredths of a millimetre for metafiles
    int height = 0;
    int goalWidth = 0; // \picwgoal: twips
    int goalHeight = 0;
    int scaleX = 100;
    int scaleY = 100;
};

// The value of a hex digit, -1 for another character.
int RtfHexValue(char c);

// A control word of a \pict group.
void RtfPictureWord(RtfPictureData &picture, const QByteArray &word, bool hasParam, int param);
// One character of the hex data; what is no hex digit is passed over, and
// an odd digit at the end is dropped.
void RtfPictureHexDigit(RtfPictureData &picture, char c);
// The image the data shows; null for a kind this reader does not show or
// data that does not decode.
QImage RtfPictureImage(const RtfPictureData &picture);
// The size the picture takes in the text, in pixels at 96 per inch.
QSizeF RtfPictureDisplaySize(const RtfPictureData &picture, const QImage &image);

} // namespace richedit
