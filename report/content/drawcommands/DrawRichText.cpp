#include "report/content/drawcommands/DrawRichText.h"

#include "report/content/richtext/RTFEngine.h"
#include "report/model/base/Exceptions.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Colors.h"
#include "platform/richedit/RichEdit.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"

#include <QByteArray>
#include <QList>
#include <QPainter>

namespace report {

namespace {

QByteArray richTextBytes(const classes::TMemoryStream &aStream)
{
    auto &stream = const_cast<classes::TMemoryStream &>(aStream);
    return QByteArray(aStream.Memory(), qsizetype(stream.Size()));
}

void setStreamBytes(classes::TMemoryStream &aStream, const QByteArray &aBytes)
{
    aStream.Clear();
    if (!aBytes.isEmpty())
        aStream.WriteBuffer(aBytes.constData(), aBytes.size());
    aStream.SetPosition(0);
}

// The RTF as lines, the way a line list loads it: CR LF, CR or LF end a line.
QList<QByteArray> richTextLines(const QByteArray &aBytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < aBytes.size(); ++i) {
        if (aBytes[i] != '\r' && aBytes[i] != '\n')
            continue;
        lines.append(aBytes.mid(start, i - start));
        if (aBytes[i] == '\r' && i + 1 < aBytes.size() && aBytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < aBytes.size())
        lines.append(aBytes.mid(start));
    return lines;
}

} // namespace

TppRichTextSource::TppRichTextSource(QByteArray aRtf)
    : rtf(std::move(aRtf))
{
}

TppRichTextSource::~TppRichTextSource() = default;

const classes::TMetaClass &TppDrawRichText::StaticClass()
{
    using C = TppDrawRichText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawRichText", [](classes::TClassBuilder<C> &c) {
            // Redeclared with the type a rich text starts with, so that a
            // command set to the base's default is still written.
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtBLOB);
            c.Integer("Color", &C::Color, &C::SetColor);
            c.Integer("EndCharPos", &C::EndCharPos, &C::SetEndCharPos).Default(-1);
            c.Integer("StartCharPos", &C::StartCharPos, &C::SetStartCharPos).Default(-1);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
        });
    return meta;
}

TppDrawRichText::TppDrawRichText(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
    , m_richTextStream(std::make_unique<classes::TMemoryStream>())
{
    SetDataType(TppDataType::dtBLOB);
}

TppDrawRichText::~TppDrawRichText() = default;

void TppDrawRichText::DefineProperties(classes::TFiler &aFiler)
{
    TppDrawCommand::DefineProperties(aFiler);
    aFiler.DefineBinaryProperty(
        QStringLiteral("RTFStream"), [this](classes::TStream &s) { ReadRTFStream(s); },
        [this](classes::TStream &s) { WriteRTFStream(s); }, true);
}

classes::TMemoryStream &TppDrawRichText::RichTextStream() const
{
    if (m_source) {
        // Whoever asks for the stream may write into it.
        const std::shared_ptr<TppRichTextSource> source = std::move(m_source);
        setStreamBytes(*m_richTextStream, source->rtf);
    }
    return *m_richTextStream;
}

void TppDrawRichText::SetRichTextSource(std::shared_ptr<TppRichTextSource> aSource)
{
    m_richTextStream->Clear();
    m_source = std::move(aSource);
}

QByteArray TppDrawRichText::RichTextBytes() const
{
    return m_source ? m_source->rtf : richTextBytes(*m_richTextStream);
}

void TppDrawRichText::ReadRTFStream(classes::TStream &aStream)
{
    m_source.reset();
    int32_t size = 0;
    aStream.ReadBuffer(&size, sizeof size);
    const int64_t left = aStream.Size() - aStream.Position();
    // Archives come from outside: a length is checked before it allocates.
    if (size < 0 || size > left)
        throw EBrevantorError(QStringLiteral("TppDrawRichText.ReadRTFStream: invalid stream length %1.").arg(size));
    m_richTextStream->Clear();
    // A count of 0 would copy the whole source stream.
    if (size > 0)
        m_richTextStream->CopyFrom(aStream, size);
    m_richTextStream->SetPosition(0);
}

void TppDrawRichText::WriteRTFStream(classes::TStream &aStream) const
{
    const QByteArray bytes = RichTextBytes();
    const int32_t size = int32_t(bytes.size());
    aStream.WriteBuffer(&size, sizeof size);
    if (size > 0)
        aStream.WriteBuffer(bytes.constData(), size);
}

void TppDrawRichText::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawRichText *>(source);
    if (!other)
        return;
    m_color = other->m_color;
    m_startCharPos = other->m_startCharPos;
    m_endCharPos = other->m_endCharPos;
    m_transparent = other->m_transparent;
    if (other->m_source) {
        SetRichTextSource(other->m_source);
        return;
    }
    m_source.reset();
    setStreamBytes(*m_richTextStream, richTextBytes(*other->m_richTextStream));
}

bool TppDrawRichText::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppDrawRichText *>(aDrawCommand);
    if (!other || !TppDrawCommand::IsEqual(aDrawCommand))
        return false;
    if (m_color != other->m_color || m_endCharPos != other->m_endCharPos || m_startCharPos != other->m_startCharPos ||
        m_transparent != other->m_transparent)
        return false;
    if (m_source && m_source == other->m_source)
        return true;
    const QByteArray mine = RichTextBytes();
    const QByteArray theirs = other->RichTextBytes();
    return mine.size() == theirs.size() && richTextLines(mine) == richTextLines(theirs);
}

bool TppDrawRichText::render(QPainter &aPainter, const QColor &aBackground, rtl::TPoint aResolution)
{
    // The page's size as the control measured it, whatever the device's
    // rounding of its position.
    const int width = TppRTFEngine::MMToPixels(Width(), aResolution.X);
    const int height = TppRTFEngine::MMToPixels(Height(), aResolution.Y);
    if (width <= 0 || height <= 0)
        return true;
    if (!m_transparent)
        aPainter.fillRect(QRect(0, 0, width, height), aBackground);
    if (m_startCharPos < 0 || m_endCharPos < m_startCharPos)
        return true;
    const TppRTFDeviceContext dc{&aPainter, aResolution.X, aResolution.Y, true};
    const rtl::TRect rect = rtl::Rect(0, 0, width, height);
    if (const std::shared_ptr<TppRichTextSource> source = m_source) {
        // Read and laid out once for every page of the document.
        std::lock_guard<std::mutex> guard(source->lock);
        if (!source->document) {
            source->document = std::make_unique<richedit::RichEdit>();
            source->document->LoadFromBytes(source->rtf);
        }
        TppRTFEngine::Render(*source->document, dc, {m_startCharPos, m_endCharPos}, rect, dc);
        return true;
    }
    richedit::RichEdit edit;
    edit.LoadFromBytes(richTextBytes(*m_richTextStream));
    TppRTFEngine::Render(edit, dc, {m_startCharPos, m_endCharPos}, rect, dc);
    return true;
}

bool TppDrawRichText::DrawToPrinter(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aResolution)
{
    QPainter &painter = aCanvas.painter();
    painter.save();
    painter.translate(aDrawRect.Left, aDrawRect.Top);
    const bool drawn = render(painter, aCanvas.resolved(m_color), aResolution);
    painter.restore();
    return drawn;
}

bool TppDrawRichText::DrawToScreen(gfx::Canvas &aCanvas, const rtl::TRect &aDrawRect, rtl::TPoint aPrinterResolution)
{
    const int width = TppRTFEngine::MMToPixels(Width(), aPrinterResolution.X);
    const int height = TppRTFEngine::MMToPixels(Height(), aPrinterResolution.Y);
    if (width <= 0 || height <= 0 || aDrawRect.IsEmpty())
        return true;
    QPainter &painter = aCanvas.painter();
    painter.save();
    painter.translate(aDrawRect.Left, aDrawRect.Top);
    painter.scale(double(aDrawRect.Width()) / width, double(aDrawRect.Height()) / height);
    const bool drawn = render(painter, aCanvas.resolved(m_color), aPrinterResolution);
    painter.restore();
    return drawn;
}

} // namespace report
