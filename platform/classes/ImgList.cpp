#include "platform/classes/ImgList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>

namespace classes {

const TMetaClass &TCustomImageList::StaticClass()
{
    using C = TCustomImageList;
    static const TMetaClass meta = MakeClass<C, TComponent>("TCustomImageList", [](TClassBuilder<C> &c) {
        c.Integer("Height", &C::Height, &C::SetHeight).Default(16);
        c.Integer("Width", &C::Width, &C::SetWidth).Default(16);
    });
    return meta;
}

const TMetaClass &TImageList::StaticClass()
{
    static const TMetaClass meta = MakeClass<TImageList, TCustomImageList>("TImageList");
    return meta;
}

TCustomImageList::TCustomImageList(TComponent *owner)
    : TComponent(owner)
{}

void TCustomImageList::SetWidth(int value)
{
    resize(value, Height());
}

void TCustomImageList::SetHeight(int value)
{
    resize(Width(), value);
}

void TCustomImageList::resize(int width, int height)
{
    m_list.setSize(width, height);
}

void TCustomImageList::DefineProperties(TFiler &filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        QStringLiteral("Bitmap"), [this](TStream &s) { readBitmap(s); }, [this](TStream &s) { writeBitmap(s); },
        m_list.count() > 0);
}

void TCustomImageList::readBitmap(TStream &stream)
{
    const int64_t size = stream.Size() - stream.Position();
    QByteArray bytes(int(std::clamp<int64_t>(size, 0, INT32_MAX)), Qt::Uninitialized);
    if (!bytes.isEmpty())
        stream.ReadBuffer(bytes.data(), bytes.size());
    QImage strip;
    if (!strip.loadFromData(bytes, "PNG"))
        throw EReadError("The image list's bitmap does not read");
    m_list.clear();
    m_list.add(strip.convertToFormat(QImage::Format_ARGB32));
}

void TCustomImageList::writeBitmap(TStream &stream) const
{
    QImage strip(m_list.width() * m_list.count(), m_list.height(), QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (int i = 0; i < m_list.count(); ++i)
            painter.drawImage(i * m_list.width(), 0, m_list.image(i));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    strip.save(&buffer, "PNG");
    stream.WriteBuffer(bytes.constData(), bytes.size());
}

} // namespace classes
