#include "report/content/richtext/RichText.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/richtext/RTFEngine.h"
#include "report/content/richtext/RichTextAttributes.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/base/Units.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/gfx/Canvas.h"
#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RtfReader.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/QtFileText.h"

#include <QFile>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace report {

struct RichTextCacheRecord
{
    uint8_t stretchable[16] = {};
    int32_t startCharPos = -1;
    int32_t endCharPos = -1;
    int32_t nextStart = -1;
    uint32_t heldTextLoad = 0;
    bool movedWhole = false;
};

namespace {

// Pixels back into thousandths of a millimetre, rounded up: the height
// given to the page holds every pixel measured.
int32_t richTextPixelsToMM(int aPixels, int aPixelsPerInch)
{
    const int64_t dpi = std::max(1, aPixelsPerInch);
    return int32_t(std::clamp<int64_t>((int64_t(aPixels) * 25400 + dpi - 1) / dpi, 0, INT32_MAX / 2));
}

} // namespace

// ---- Mail merge ----------------------------------------------------------------------

int ppMailMerge(richedit::RichEdit &aEdit, TppDataPipeline &aPipeline)
{
    classes::TStringList names;
    aPipeline.GetFieldNames(names);
    classes::TStringList aliases;
    aPipeline.GetFieldAliases(aliases);
    const auto fieldFor = [&](const QString &aTag) -> QString {
        for (int i = 0; i < names.Count(); ++i)
            if (names.Strings(i).compare(aTag, Qt::CaseInsensitive) == 0)
                return names.Strings(i);
        for (int i = 0; i < aliases.Count() && i < names.Count(); ++i)
            if (aliases.Strings(i).compare(aTag, Qt::CaseInsensitive) == 0)
                return names.Strings(i);
        return QString();
    };
    // The text searched is kept beside the edit and changed with it, so
    // that a text of many tags is not read again for every one.
    QString text = aEdit.Text();
    aEdit.BeginUpdate();
    int replaced = 0;
    qsizetype position = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'<', position);
        if (open < 0)
            break;
        // Looked for after the "<": a ">" before it, or none, never stalls.
        const qsizetype close = text.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        const QString field = fieldFor(text.mid(open + 1, close - open - 1));
        if (field.isEmpty()) {
            position = open + 1;
            continue;
        }
        const QString value = aPipeline.GetFieldAsString(field);
        aEdit.SetSelStart(int(open));
        aEdit.SetSelLength(int(close - open + 1));
        aEdit.SetSelText(value);
        text.replace(open, close - open + 1, value);
        // The value is not looked into again.
        position = open + value.size();
        ++replaced;
    }
    aEdit.EndUpdate();
    aEdit.SetSelStart(0);
    return replaced;
}

// ---- TppCustomRichText -------------------------------------------------------------

const classes::TMetaClass &TppCustomRichText::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCustomRichText, TppStretchable>(
        "TppCustomRichText", [](classes::TClassBuilder<TppCustomRichText> &c) { ppPublishShiftRelativeTo(c); });
    return meta;
}

TppCustomRichText::TppCustomRichText(classes::TComponent *aOwner)
    : TppStretchable(aOwner)
    , m_richEdit(std::make_unique<richedit::RichEdit>())
{
    watchPrintEdit(*m_richEdit);
    SetCacheRecordSize(int32_t(sizeof(RichTextCacheRecord)));
    SetDrawCommandClass(&TppDrawRichText::StaticClass());
    SetmmWidth(ppToMMThousandths(185, TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
    SetmmHeight(ppToMMThousandths(89, TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

TppCustomRichText::~TppCustomRichText() = default;

void TppCustomRichText::watchPrintEdit(richedit::RichEdit &aEdit)
{
    // Any change of text or format, whoever makes it, is printed from then on.
    QObject::connect(&aEdit.Document(), &QTextDocument::contentsChanged, [this] { m_printSource.reset(); });
}

QString TppCustomRichText::RichText() const
{
    const QByteArray bytes = RichTextBytes();
    // Plain text is given back as the text it was given as.
    return richedit::IsRtf(bytes) ? QString::fromLatin1(bytes) : richedit::RichEdit::PlainTextOf(bytes);
}

QByteArray TppCustomRichText::RichTextBytes() const
{
    return m_rtf;
}

classes::TMemoryStream *TppCustomRichText::RichTextStream()
{
    Reload();
    if (!m_rtfStream)
        m_rtfStream = std::make_unique<classes::TMemoryStream>();
    m_rtfStream->Clear();
    if (!m_rtf.isEmpty())
        m_rtfStream->WriteBuffer(m_rtf.constData(), int32_t(m_rtf.size()));
    m_rtfStream->SetPosition(0);
    return m_rtfStream.get();
}

TTextAttributes *TppCustomRichText::SelAttributes()
{
    if (!m_selAttributes)
        m_selAttributes = std::make_unique<TTextAttributes>(*this);
    return m_selAttributes.get();
}

TParaAttributes *TppCustomRichText::Paragraph()
{
    if (!m_paragraph)
        m_paragraph = std::make_unique<TParaAttributes>(*this);
    return m_paragraph.get();
}

void TppCustomRichText::RichEditChanged()
{
    m_rtf = m_richEdit->SaveToBytes();
    afterChange();
}

void TppCustomRichText::SetRichText(const QString &aValue)
{
    loadText(aValue);
    afterChange();
}

void TppCustomRichText::loadText(const QString &aValue)
{
    // RTF is bytes and the string holds them one for one. Plain text goes in
    // as UTF-8, which reads back as the same text whatever its characters:
    // as Latin-1 bytes, "Ã©" would read back as "é".
    loadBytes(aValue.startsWith(QLatin1String("{\\rtf")) ? bytesOneForOne(aValue) : aValue.toUtf8());
}

QByteArray TppCustomRichText::bytesOneForOne(const QString &aValue)
{
    // A value beyond Latin-1 was put in by hand and means its text.
    bool latin1 = true;
    for (const QChar c : aValue)
        latin1 = latin1 && c.unicode() < 0x100;
    return latin1 ? aValue.toLatin1() : aValue.toUtf8();
}

void TppCustomRichText::loadBytes(const QByteArray &aBytes)
{
    m_rtf = aBytes;
    m_richEdit->LoadFromBytes(aBytes);
    m_reload = false;
    ++m_heldTextLoad;
}

void TppCustomRichText::afterChange()
{
    if (loadingOrReading())
        return;
    InvalidateDesignControl();
    PropertyChange();
}

void TppCustomRichText::LoadFromRTFStream(classes::TStream &aStream)
{
    const int64_t size = aStream.Size() - aStream.Position();
    QByteArray bytes;
    if (size > 0) {
        bytes.resize(qsizetype(size));
        aStream.ReadBuffer(bytes.data(), int32_t(size));
    }
    loadBytes(bytes);
    afterChange();
}

void TppCustomRichText::SaveToRTFStream(classes::TStream &aStream)
{
    const QByteArray bytes = m_richEdit->SaveToBytes();
    if (!bytes.isEmpty())
        aStream.WriteBuffer(bytes.constData(), int32_t(bytes.size()));
}

bool TppCustomRichText::LoadFromFile(const QString &aFileName)
{
    // A pipe or a device named by a report's script must not hold up the
    // report that runs it.
    const rtl::FileText read = rtl::readWholeFile(aFileName);
    if (!read)
        return false;
    loadBytes(QByteArray::fromStdString(read.text));
    afterChange();
    return true;
}

bool TppCustomRichText::SaveToFile(const QString &aFileName)
{
    // The program's own save: a link loop or a link somebody else planted in
    // a shared folder fails instead of being replaced or followed, and the
    // file keeps who may read it.
    const QByteArray bytes = m_richEdit->SaveToBytes();
    return bool(rtl::atomicSave(QFile::encodeName(aFileName).toStdString(),
                                std::string_view(bytes.constData(), size_t(bytes.size()))));
}

QString TppCustomRichText::PlainText() const
{
    return m_richEdit->Text();
}

int TppCustomRichText::FindText(const QString &aSearchStr, int aStartPos, int aLength, bool aWholeWord,
                                bool aMatchCase) const
{
    int options = 0;
    if (aWholeWord)
        options |= int(richedit::FindOption::WholeWord);
    if (aMatchCase)
        options |= int(richedit::FindOption::MatchCase);
    return m_richEdit->FindText(aSearchStr, aStartPos, aLength, options);
}

void TppCustomRichText::Reload()
{
    if (!m_reload)
        return;
    m_richEdit->LoadFromBytes(m_rtf);
    m_reload = false;
}

void TppCustomRichText::MailMergeCopy()
{
    if (!MailMergeActive()) {
        if (m_mergeEdit) {
            m_mergeEdit.reset();
            m_printSource.reset();
        }
        return;
    }
    // A text going on from the page before keeps the record it was merged
    // with: merging it again for every page would copy the whole text each
    // time.
    if (m_mergeEdit && keepsHeldText())
        return;
    if (!m_mergeEdit) {
        m_mergeEdit = std::make_unique<richedit::RichEdit>();
        watchPrintEdit(*m_mergeEdit);
        m_printSource.reset();
    }
    m_mergeEdit->LoadFromBytes(m_richEdit->SaveToBytes());
    ++m_heldTextLoad;
    IppReportContext *report = Report();
    if (TppDataPipeline *pipeline = report ? report->DataPipeline() : nullptr)
        ppMailMerge(*m_mergeEdit, *pipeline);
}

richedit::RichEdit &TppCustomRichText::printEdit() const
{
    return m_mergeEdit ? *m_mergeEdit : *m_richEdit;
}

void TppCustomRichText::Init()
{
    TppStretchable::Init();
    m_startCharPos = m_endCharPos = -1;
    m_nextStart = -1;
    m_movedWhole = false;
}

void TppCustomRichText::Reset()
{
    TppStretchable::Reset();
    // What a report loads again for every record: the data rich text.
    m_nextStart = -1;
    m_reload = true;
}

void TppCustomRichText::Generate()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppStretchable::Generate();
    // A text that does not stretch is never measured, yet prints whole at
    // the height it was placed with: it is loaded and merged for the record
    // all the same.
    if (alive.expired() || StretchMode() || !Visible() || !DrawComponent() || OutOfSpace())
        return;
    if (loadForPage())
        printWhole();
}

bool TppCustomRichText::loadForPage()
{
    // The text's handler may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    Reload();
    if (alive.expired())
        return false;
    MailMergeCopy();
    m_heldTextStale = false;
    return true;
}

void TppCustomRichText::printWhole()
{
    m_startCharPos = 0;
    m_endCharPos = printEdit().TextLength();
    m_nextStart = -1;
}

void TppCustomRichText::CalcSpaceUsed()
{
    if (!loadForPage())
        return;
    richedit::RichEdit &edit = printEdit();
    const int length = edit.TextLength();
    const rtl::TRect page = PageRect();
    if (!Stretch() || !StretchAllowed()) {
        printWhole();
        SetSpaceUsed(mmHeight());
        SetOverFlow(false);
        return;
    }
    const bool continuing = m_nextStart >= 0;
    m_startCharPos = continuing ? m_nextStart : 0;
    m_endCharPos = length - 1;
    if (length <= 0 || m_startCharPos > m_endCharPos) {
        m_startCharPos = m_endCharPos = -1;
        m_nextStart = -1;
        SetSpaceUsed(0);
        SetOverFlow(false);
        return;
    }
    const PrinterResolution *printer = GetPrinter();
    const int dpiX = printer ? printer->pixelsPerInch(TppAxisType::atHorizontal) : ppScreenPixelsPerInch();
    const int dpiY = printer ? printer->pixelsPerInch(TppAxisType::atVertical) : ppScreenPixelsPerInch();
    const TppRTFDeviceContext dc{nullptr, dpiX, dpiY, printer != nullptr};
    // Measured at the origin, as the devices draw it: the same width in
    // twips wherever the page places it.
    const rtl::TRect rect =
        rtl::Rect(0, 0, TppRTFEngine::MMToPixels(page.Width(), dpiX), TppRTFEngine::MMToPixels(page.Height(), dpiY));
    int heightUsed = 0;
    int lastChar = -1;
    if (TppRTFEngine::Fit(edit, dc, heightUsed, lastChar, rect, {m_startCharPos, m_endCharPos})) {
        m_nextStart = -1;
        m_movedWhole = false;
        SetKeptTogether(false);
        SetOverFlow(false);
        SetSpaceUsed(std::min(richTextPixelsToMM(heightUsed, dpiY), page.Height()));
        return;
    }
    SetOverFlow(true);
    if (lastChar >= m_startCharPos && NeedsKeepTogether()) {
        // The whole text moves to the next page, once.
        SetKeptTogether(true);
        m_movedWhole = true;
        SetSpaceUsed(0);
        m_nextStart = m_startCharPos;
        m_startCharPos = m_endCharPos = -1;
        return;
    }
    if (lastChar < m_startCharPos) {
        // Not a line on this page: the text goes on from where it stood.
        m_nextStart = m_startCharPos;
        m_startCharPos = m_endCharPos = -1;
        SetSpaceUsed(0);
        return;
    }
    m_endCharPos = lastChar;
    m_nextStart = lastChar + 1;
    SetSpaceUsed(page.Height());
}

void TppCustomRichText::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto *command = dynamic_cast<TppDrawRichText *>(aDrawCommand);
    if (!command)
        return;
    const rtl::TRect page = PageRect();
    command->SetLeft(page.Left);
    command->SetTop(page.Top);
    command->SetWidth(page.Width());
    command->SetHeight(Stretch() && StretchAllowed() ? SpaceUsed() : mmHeight());
    command->SetColor(Color());
    command->SetTransparent(Transparent());
    command->SetStartCharPos(m_startCharPos);
    command->SetEndCharPos(m_endCharPos);
    // Saved once for all the pages the text fills, and shared by them.
    if (!m_printSource)
        m_printSource = std::make_shared<TppRichTextSource>(printEdit().SaveToBytes());
    command->SetRichTextSource(m_printSource);
}

void TppCustomRichText::PaintDesignControl(gfx::Canvas &aCanvas)
{
    // Loading the text runs OnGetRichText, which may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    Reload();
    if (alive.expired())
        return;
    MailMergeCopy();
    const rtl::TRect client = GetSpClientRect();
    if (client.IsEmpty())
        return;
    if (!Transparent())
        aCanvas.FillRect(client, gfx::Brush::solid(Color()));
    richedit::RichEdit &edit = printEdit();
    if (edit.TextLength() > 0) {
        // Laid out at the printer's resolution and shrunk to the control, so
        // that the designer breaks the lines where paper does.
        const PrinterResolution *printer = GetPrinter();
        const int dpiX = printer ? printer->pixelsPerInch(TppAxisType::atHorizontal) : ppScreenPixelsPerInch();
        const int dpiY = printer ? printer->pixelsPerInch(TppAxisType::atVertical) : ppScreenPixelsPerInch();
        const int width = TppRTFEngine::MMToPixels(mmWidth(), dpiX);
        const int height = TppRTFEngine::MMToPixels(mmHeight(), dpiY);
        if (width > 0 && height > 0) {
            QPainter &painter = aCanvas.painter();
            painter.save();
            painter.translate(client.Left, client.Top);
            painter.scale(double(client.Width()) / width, double(client.Height()) / height);
            const TppRTFDeviceContext dc{&painter, dpiX, dpiY, printer != nullptr};
            TppRTFEngine::Render(edit, dc, {0, -1}, rtl::Rect(0, 0, width, height), dc);
            painter.restore();
        }
    } else {
        aCanvas.setBkMode(gfx::BkMode::Transparent);
        const QString caption = GetCaption();
        aCanvas.DrawText(QStringView(caption), client, gfx::DT_WORDBREAK | gfx::DT_NOPREFIX);
    }
    aCanvas.FrameRect(client, gfx::Brush::solid(rtl::clBlack));
}

RichTextCacheRecord TppCustomRichText::cacheState() const
{
    static_assert(sizeof(StretchableCacheRecord) <= sizeof(RichTextCacheRecord::stretchable));
    RichTextCacheRecord record;
    const StretchableCacheRecord own = cacheRecord();
    std::memcpy(record.stretchable, &own, sizeof(own));
    record.startCharPos = m_startCharPos;
    record.endCharPos = m_endCharPos;
    record.nextStart = m_nextStart;
    record.heldTextLoad = m_heldTextLoad;
    record.movedWhole = m_movedWhole;
    return record;
}

void TppCustomRichText::SaveToCache(int32_t aPageIndex)
{
    const RichTextCacheRecord record = cacheState();
    WriteCacheRecord(aPageIndex, &record);
}

void TppCustomRichText::RestoreFromCache(int32_t aPageIndex)
{
    RichTextCacheRecord record = cacheState();
    ReadCacheRecord(aPageIndex, &record);
    StretchableCacheRecord restored;
    std::memcpy(&restored, record.stretchable, sizeof(restored));
    applyCacheRecord(restored);
    m_startCharPos = std::max(record.startCharPos, -1);
    m_endCharPos = std::max(record.endCharPos, -1);
    m_nextStart = std::max(record.nextStart, -1);
    m_movedWhole = record.movedWhole;
    // Every page begins with a restore, going forward too: only a text
    // loaded since the page's record was kept is another record's.
    m_heldTextStale = m_heldTextStale || record.heldTextLoad != m_heldTextLoad;
}

// ---- TppRichText -------------------------------------------------------------------

const classes::TMetaClass &TppRichText::StaticClass()
{
    using C = TppRichText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomRichText>("TppRichText", [](classes::TClassBuilder<C> &c) {
            c.String(
                "Caption", [](const C &o) { return const_cast<C &>(o).GetCaption(); }, &C::SetCaption);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("MailMerge", &C::MailMerge, &C::SetMailMerge).Default(false);
            c.String("RichText", &C::StoredRichText, &C::SetStoredRichText);
        });
    return meta;
}

TppRichText::TppRichText(classes::TComponent *aOwner)
    : TppCustomRichText(aOwner)
{}

QString TppRichText::StoredRichText() const
{
    return QString::fromLatin1(RichTextBytes());
}

void TppRichText::SetStoredRichText(const QString &aValue)
{
    loadBytes(bytesOneForOne(aValue));
    afterChange();
}

void TppRichText::SetMailMerge(bool aValue)
{
    if (aValue == m_mailMerge)
        return;
    m_mailMerge = aValue;
    afterChange();
}

// ---- TppDBRichText -----------------------------------------------------------------

const classes::TMetaClass &TppDBRichText::StaticClass()
{
    using C = TppDBRichText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomRichText>("TppDBRichText", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(true);
            c.String("DataField", &C::DataField, &C::SetDataField);
            c.Event("OnGetRichText", &C::OnGetRichText, QStringLiteral("TppGetTextEvent"));
            c.Boolean("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(true);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            ppPublishDataPipeline(c);
        });
    return meta;
}

TppDBRichText::TppDBRichText(classes::TComponent *aOwner)
    : TppCustomRichText(aOwner)
{
    MakeDataAware();
}

void TppDBRichText::SetAutoDisplay(bool aValue)
{
    if (aValue == m_autoDisplay)
        return;
    m_autoDisplay = aValue;
    if (!m_autoDisplay)
        loadBytes(QByteArray());
    afterChange();
}

QString TppDBRichText::GetDescription() const
{
    if (DataField().isEmpty())
        return UserName();
    return UserName() + QStringLiteral(": ") + DataField();
}

void TppDBRichText::Reload()
{
    // A text going on from the page before keeps the record it began with.
    if (keepsHeldText())
        return;
    const std::weak_ptr<char> alive = AliveToken();
    if (OnGetRichText.Assigned()) {
        QString text;
        OnGetRichText(this, text);
        if (!alive.expired())
            loadText(text);
        return;
    }
    if (HasEventNotify(ppEvent::OnGetRichText)) {
        QString text;
        TraParamList params;
        params.AddParam(QStringLiteral("Text"), TraDataType::daString, true);
        params.BindParamValue(0, &text);
        SendEventNotify(this, ppEvent::OnGetRichText, &params);
        if (alive.expired())
            return;
        // A script that gives no text leaves the field to answer.
        if (!text.isEmpty()) {
            loadText(text);
            return;
        }
    }
    if (m_autoDisplay && CheckForPipelineData())
        loadText(DataPipeline()->GetFieldAsString(DataField()));
    else
        loadBytes(QByteArray());
}

} // namespace report
