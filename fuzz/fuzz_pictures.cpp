// Random bytes as every kind of picture: a graphic either decodes or fails
// as an invalid graphic, and a picture's stream data reads or fails the same
// way; nothing else may happen.

#include "fuzz/GuiFuzz.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Streams.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

template <class Graphic>
void fuzzPictureGraphic(const QByteArray &bytes)
{
    Graphic graphic;
    try {
        graphic.LoadFromBytes(bytes);
        if (graphic.Bytes() != bytes)
            __builtin_trap();
    } catch (const classes::EInvalidGraphic &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzzPictureGraphic<classes::TIcon>(bytes);
    fuzzPictureGraphic<classes::TGIFImage>(bytes);
    fuzzPictureGraphic<classes::TJPEGImage>(bytes);
    fuzzPictureGraphic<classes::TMetafile>(bytes);
    try {
        classes::TMemoryStream stream;
        stream.WriteBuffer(bytes.constData(), bytes.size());
        stream.SetPosition(0);
        classes::TBitmap bitmap;
        bitmap.LoadFromStream(stream);
    } catch (const rtl::Exception &) {
    }
    try {
        classes::TMemoryStream stream;
        stream.WriteBuffer(bytes.constData(), bytes.size());
        stream.SetPosition(0);
        classes::TPicture picture;
        picture.ReadData(stream);
    } catch (const rtl::Exception &) {
    }
    return 0;
}
