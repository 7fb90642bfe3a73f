#include "platform/classes/Picture.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/gfx/Dib.h"
#include "platform/gfx/MetafilePlayer.h"
#include "platform/rtl/QtFileText.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace classes {

namespace {

// libpng, under Qt's PNG reader, writes its complaint about a broken file
// straight to standard error; the failure itself reaches the caller as a
// null image, so the line would only be noise beside the caller's message.
class PictureDecoderQuiet
{
public:
    PictureDecoderQuiet()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~PictureDecoderQuiet()
    {
        if (m_saved < 0)
            return;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    PictureDecoderQuiet(const PictureDecoderQuiet &) = delete;
    PictureDecoderQuiet &operator=(const PictureDecoderQuiet &) = delete;

private:
    int m_saved = -1;
};

// Qt's own allocation limit guards against headers that promise huge images.
QImage pictureRead(const QByteArray &bytes, const char *format, int imageNumber = 0)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const bool png = reader.format().toLower() == "png";
    std::optional<PictureDecoderQuiet> quiet;
    if (png)
        quiet.emplace();
    if (imageNumber > 0 && !reader.jumpToImage(imageNumber))
        return QImage();
    return reader.read();
}

// The graphic classes a picture stream may name.
std::unique_ptr<TPersistent> pictureNewGraphic(const QString &className)
{
    if (className.compare(u"TBitmap", Qt::CaseInsensitive) == 0)
        return std::make_unique<TBitmap>();
    if (className.compare(u"TIcon", Qt::CaseInsensitive) == 0)
        return std::make_unique<TIcon>();
    if (className.compare(u"TGIFImage", Qt::CaseInsensitive) == 0)
        return std::make_unique<TGIFImage>();
    if (className.compare(u"TJPEGImage", Qt::CaseInsensitive) == 0)
        return std::make_unique<TJPEGImage>();
    if (className.compare(u"TMetafile", Qt::CaseInsensitive) == 0)
        return std::make_unique<TMetafile>();
    return nullptr;
}

// A graphic of aClass: a program may register graphic classes of its own
// and hand their pictures to controls.
std::unique_ptr<TPersistent> pictureNewGraphicOf(const TMetaClass *aClass)
{
    if (!aClass)
        return nullptr;
    if (std::unique_ptr<TPersistent> known = pictureNewGraphic(aClass->ClassName()))
        return known;
    if (!aClass->InheritsFrom(TGraphic::StaticClass()))
        return nullptr;
    try {
        return std::unique_ptr<TPersistent>(aClass->NewInstance());
    } catch (const EClassNotFound &) {
        // An abstract graphic class, as a stored picture may name.
        return nullptr;
    }
}

} // namespace

// ---- Graphics ----------------------------------------------------------------

const TMetaClass &TGraphic::StaticClass()
{
    static const TMetaClass meta = MakeClass<TGraphic, TPersistent>("TGraphic");
    return meta;
}

void TGraphic::LoadFromBytes(const QByteArray &bytes)
{
    QImage image = decode(bytes);
    if (image.isNull())
        throw EInvalidGraphic("Graphic image is not valid");
    m_bytes = bytes;
    m_image = image;
}

void TGraphic::LoadFromStream(TStream &stream)
{
    const int64_t size = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0)
        stream.ReadBuffer(bytes.data(), size);
    LoadFromBytes(bytes);
}

void TGraphic::SaveToStream(TStream &stream) const
{
    if (!m_bytes.isEmpty())
        stream.WriteBuffer(m_bytes.constData(), m_bytes.size());
}

void TGraphic::Clear()
{
    m_bytes.clear();
    m_image = QImage();
}

void TGraphic::DefineProperties(TFiler &filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream &stream) { LoadFromStream(stream); },
        [this](TStream &stream) { SaveToStream(stream); }, !m_bytes.isEmpty());
}

void TGraphic::Draw(QPainter &painter, const QRectF &target) const
{
    if (!m_image.isNull())
        painter.drawImage(target, m_image);
}

void TGraphic::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TGraphic *>(source);
    if (!other || &other->ClassType() != &ClassType()) {
        TPersistent::Assign(source);
        return;
    }
    m_bytes = other->m_bytes;
    m_image = other->m_image;
}

const TMetaClass &TIcon::StaticClass()
{
    static const TMetaClass meta = MakeClass<TIcon, TGraphic>("TIcon");
    return meta;
}

QImage TIcon::decode(const QByteArray &bytes) const
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ICO");
    const int count = std::max(reader.imageCount(), 1);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < count && i < 256; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        const int distance = std::abs(size.width() - 32) + std::abs(size.height() - 32);
        if (size.isValid() && distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return pictureRead(bytes, "ICO", best);
}

const TMetaClass &TGIFImage::StaticClass()
{
    static const TMetaClass meta = MakeClass<TGIFImage, TGraphic>("TGIFImage");
    return meta;
}

QImage TGIFImage::decode(const QByteArray &bytes) const
{
    return pictureRead(bytes, "GIF");
}

const TMetaClass &TJPEGImage::StaticClass()
{
    static const TMetaClass meta = MakeClass<TJPEGImage, TGraphic>("TJPEGImage");
    return meta;
}

QImage TJPEGImage::decode(const QByteArray &bytes) const
{
    return pictureRead(bytes, "JPEG");
}

const TMetaClass &TMetafile::StaticClass()
{
    static const TMetaClass meta = MakeClass<TMetafile, TGraphic>("TMetafile");
    return meta;
}

bool TMetafile::Enhanced() const
{
    return gfx::ReadMetafileInfo(Bytes()).kind == gfx::MetafileKind::Emf;
}

int TMetafile::Width() const
{
    return gfx::ReadMetafileInfo(Bytes()).width;
}

int TMetafile::Height() const
{
    return gfx::ReadMetafileInfo(Bytes()).height;
}

void TMetafile::Draw(QPainter &painter, const QRectF &target) const
{
    gfx::PlayMetafile(painter, Bytes(), target);
}

QImage TMetafile::decode(const QByteArray &bytes) const
{
    // A file without a frame has nothing to show.
    const gfx::MetafileInfo info = gfx::ReadMetafileInfo(bytes);
    if (info.kind == gfx::MetafileKind::None || info.width <= 0 || info.height <= 0)
        return QImage();
    constexpr int rasterLimit = 4096;
    const double scale = std::min(1.0, double(rasterLimit) / std::max(info.width, info.height));
    QImage image(std::max(1, int(info.width * scale)), std::max(1, int(info.height * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    gfx::PlayMetafile(painter, bytes, QRectF(image.rect()));
    return image;
}

QByteArray BitmapFileFromDIB(const QByteArray &bytes)
{
    return gfx::BitmapFileFromDIB(bytes);
}

// ---- TPicture ------------------------------------------------------------------

const TMetaClass &TPicture::StaticClass()
{
    static const TMetaClass meta = MakeClass<TPicture, TPersistent>("TPicture");
    return meta;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::changed()
{
    if (OnChange)
        OnChange(this);
}

TBitmap *TPicture::Bitmap() const
{
    return dynamic_cast<TBitmap *>(m_graphic.get());
}

QImage TPicture::Image() const
{
    if (const TBitmap *bitmap = Bitmap())
        return bitmap->Image();
    if (const auto *graphic = dynamic_cast<const TGraphic *>(m_graphic.get()))
        return graphic->Image();
    return QImage();
}

int TPicture::Width() const
{
    if (const auto *graphic = dynamic_cast<const TGraphic *>(m_graphic.get()))
        return graphic->Width();
    return Image().width();
}

int TPicture::Height() const
{
    if (const auto *graphic = dynamic_cast<const TGraphic *>(m_graphic.get()))
        return graphic->Height();
    return Image().height();
}

bool TPicture::Empty() const
{
    return Image().isNull();
}

void TPicture::SetGraphic(const TPersistent *aGraphic)
{
    if (aGraphic == m_graphic.get())
        return;
    if (!aGraphic) {
        m_graphic.reset();
        changed();
        return;
    }
    std::unique_ptr<TPersistent> copy = pictureNewGraphicOf(&aGraphic->ClassType());
    if (!copy)
        throw EInvalidGraphic("Unknown picture format");
    copy->Assign(aGraphic);
    m_graphic = std::move(copy);
    changed();
}

void TPicture::LoadFromBytes(const QByteArray &bytes)
{
    std::unique_ptr<TPersistent> graphic;
    if (bytes.startsWith("BM")) {
        auto bitmap = std::make_unique<TBitmap>();
        TMemoryStream stream;
        stream.WriteBuffer(bytes.constData(), bytes.size());
        stream.SetPosition(0);
        bitmap->LoadFromStream(stream);
        graphic = std::move(bitmap);
    } else if (bytes.startsWith("\x89PNG")) {
        const QImage image = pictureRead(bytes, "PNG");
        if (image.isNull())
            throw EInvalidGraphic("Graphic image is not valid");
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetImage(image);
        graphic = std::move(bitmap);
    } else {
        std::unique_ptr<TGraphic> other;
        if (bytes.startsWith(QByteArray("\0\0\1\0", 4)))
            other = std::make_unique<TIcon>();
        else if (bytes.startsWith("GIF8"))
            other = std::make_unique<TGIFImage>();
        else if (bytes.startsWith("\xFF\xD8"))
            other = std::make_unique<TJPEGImage>();
        else if (gfx::ReadMetafileInfo(bytes).kind != gfx::MetafileKind::None)
            other = std::make_unique<TMetafile>();
        else
            throw EInvalidGraphic("Unknown picture format");
        other->LoadFromBytes(bytes);
        graphic = std::move(other);
    }
    m_graphic = std::move(graphic);
    changed();
}

void TPicture::LoadFromFile(const QString &fileName)
{
    // A pipe or a device named as a picture would otherwise hold up the
    // report, or fill the memory, before any decoder could refuse it.
    const rtl::FileText read = rtl::readWholeFile(fileName);
    if (!read)
        throw EInvalidGraphic("Cannot open the picture file");
    LoadFromBytes(QByteArray::fromStdString(read.text));
}

void TPicture::Assign(const TPersistent *source)
{
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    if (const auto *other = dynamic_cast<const TPicture *>(source)) {
        SetGraphic(other->m_graphic.get());
        return;
    }
    if (dynamic_cast<const TBitmap *>(source) || dynamic_cast<const TGraphic *>(source)) {
        SetGraphic(source);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler &filer)
{
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream &s) { ReadData(s); }, [this](TStream &s) { WriteData(s); },
        m_graphic != nullptr);
}

void TPicture::ReadData(TStream &stream)
{
    uint8_t nameLength = 0;
    stream.ReadBuffer(&nameLength, 1);
    QByteArray name(nameLength, Qt::Uninitialized);
    if (nameLength)
        stream.ReadBuffer(name.data(), nameLength);
    std::unique_ptr<TPersistent> graphic =
        pictureNewGraphicOf(GetClass(std::string_view(name.constData(), name.size())));
    if (!graphic)
        graphic = pictureNewGraphic(QString::fromLatin1(name));
    if (!graphic)
        throw EInvalidGraphic("Unknown picture format");
    uint8_t sizeBytes[4];
    stream.ReadBuffer(sizeBytes, 4);
    const int64_t size = int64_t(uint32_t(sizeBytes[0]) | (uint32_t(sizeBytes[1]) << 8) |
                                 (uint32_t(sizeBytes[2]) << 16) | (uint32_t(sizeBytes[3]) << 24));
    // Checked before anything is allocated: archives come from outside.
    if (size > stream.Size() - stream.Position())
        throw EInvalidGraphic("Picture data is cut short");
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0)
        stream.ReadBuffer(bytes.data(), size);
    if (auto *bitmap = dynamic_cast<TBitmap *>(graphic.get())) {
        TMemoryStream file;
        const QByteArray bmp = BitmapFileFromDIB(bytes);
        file.WriteBuffer(bmp.constData(), bmp.size());
        file.SetPosition(0);
        bitmap->LoadFromStream(file);
    } else {
        static_cast<TGraphic *>(graphic.get())->LoadFromBytes(bytes);
    }
    m_graphic = std::move(graphic);
    changed();
}

void TPicture::WriteData(TStream &stream) const
{
    if (!m_graphic)
        return;
    const QByteArray name = m_graphic->ClassName().toLatin1().left(255);
    const uint8_t nameLength = uint8_t(name.size());
    stream.WriteBuffer(&nameLength, 1);
    stream.WriteBuffer(name.constData(), nameLength);
    TMemoryStream data;
    if (const TBitmap *bitmap = Bitmap())
        bitmap->SaveToStream(data);
    else
        static_cast<const TGraphic *>(m_graphic.get())->SaveToStream(data);
    const uint32_t size = uint32_t(data.Size());
    uint8_t sizeBytes[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    stream.WriteBuffer(sizeBytes, 4);
    if (size > 0)
        stream.WriteBuffer(data.Memory(), size);
}

} // namespace classes
