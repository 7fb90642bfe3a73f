#include "report/output/TextFileDevice.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/base/Utils.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

#include <QStringView>

#include <algorithm>
#include <string>

namespace report {

const classes::TMetaClass &TppTextFileDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppTextFileDevice, TppFileDevice>("TppTextFileDevice");
    return meta;
}

TppTextFileDevice::TppTextFileDevice(classes::TComponent *aOwner)
    : TppFileDevice(aOwner)
{}

QString TppTextFileDevice::DeviceDescription(int32_t) const
{
    return ppLoadStr(37);
}

void TppTextFileDevice::SetTextFileType(TppFileType aValue)
{
    if (Busy())
        return;
    m_textFileType = aValue;
}

void TppTextFileDevice::HookSaveText(SaveTextHandler aHandler)
{
    if (!aHandler) {
        OnSaveText.Clear();
        return;
    }
    OnSaveText.Set([handler = std::move(aHandler)](classes::TObject *Sender, classes::TObject *, QString &aText) {
        handler(Sender, aText);
    });
}

void TppTextFileDevice::clearRecordState()
{
    m_endOfRecord = false;
    m_lastRecordOfPage = false;
    m_firstPage = false;
    m_fieldIndex = 0;
    m_recordCount = 0;
    m_lastRecordOfReport = false;
    m_firstField = false;
    m_firstRecord = false;
}

void TppTextFileDevice::StartJob()
{
    clearRecordState();
    TppFileDevice::StartJob();
}

void TppTextFileDevice::EndJob()
{
    clearRecordState();
    TppFileDevice::EndJob();
}

void TppTextFileDevice::ReceivePage(TppPage *aPage)
{
    const std::weak_ptr<char> alive = LifeToken();
    TppFileDevice::ReceivePage(aPage);
    if (alive.expired() || !aPage || !Busy() || !PageInRequest())
        return;
    UpdateStatus(aPage);
    if (alive.expired() || SkipPage() || !Busy())
        return;
    WritePage(aPage);
}

namespace {

// 0: the field goes as it is; 1: in quotes; 2: in quotes, with quotes inside
// to double.
int textFileQuoting(QStringView aField)
{
    int quoting = 0;
    for (const QChar c : aField) {
        // Every character that asks for quotes is below '-'.
        const char16_t u = c.unicode();
        if (u > u',')
            continue;
        if (u == u'"')
            return 2;
        if (u == u',' || u == u' ' || u == u'\r' || u == u'\n')
            quoting = 1;
    }
    return quoting;
}

} // namespace

QString TppTextFileDevice::QuoteCommaField(const QString &aField)
{
    if (textFileQuoting(aField) == 0)
        return aField;
    const char16_t *const begin = reinterpret_cast<const char16_t *>(aField.constData());
    const char16_t *const end = begin + aField.size();
    const qsizetype quotes = aField.count(u'"');
    QString quoted(aField.size() + quotes + 2, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(quoted.data());
    *out++ = u'"';
    for (const char16_t *c = begin; c != end; ++c) {
        if (*c == u'"')
            *out++ = u'"';
        *out++ = *c;
    }
    *out = u'"';
    return quoted;
}

namespace {

// The page's bytes, written through a pointer into room made beforehand:
// a field costs one check of the room, not an append per character.
class TextFileBytes
{
public:
    explicit TextFileBytes(std::size_t aExpected) { m_bytes.resize(aExpected); }

    std::size_t size() const { return m_used; }
    const char *data() const { return m_bytes.data(); }
    void add(char aByte) { *room(1) = aByte, ++m_used; }
    void add(char aFirst, char aSecond)
    {
        char *at = room(2);
        at[0] = aFirst;
        at[1] = aSecond;
        m_used += 2;
    }
    // aText in UTF-8; a lone surrogate becomes '?', as QString::toUtf8
    // makes it.
    void addUtf8(QStringView aText)
    {
        auto *out = reinterpret_cast<unsigned char *>(room(std::size_t(aText.size()) * 3));
        auto *const start = out;
        const char16_t *c = aText.utf16();
        const char16_t *const end = c + aText.size();
        for (; c != end; ++c) {
            const char32_t u = *c;
            if (u < 0x80) {
                *out++ = static_cast<unsigned char>(u);
            } else if (u < 0x800) {
                *out++ = static_cast<unsigned char>(0xC0 | (u >> 6));
                *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            } else {
                char32_t code = u;
                if (QChar::isHighSurrogate(u) && c + 1 != end && QChar::isLowSurrogate(c[1])) {
                    code = QChar::surrogateToUcs4(char16_t(u), *++c);
                } else if (QChar::isSurrogate(u)) {
                    *out++ = '?';
                    continue;
                }
                if (code >= 0x10000) {
                    *out++ = static_cast<unsigned char>(0xF0 | (code >> 18));
                    *out++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
                } else {
                    *out++ = static_cast<unsigned char>(0xE0 | (code >> 12));
                }
                *out++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
                *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            }
        }
        m_used += std::size_t(out - start);
    }

    // What ppPadString makes of aText, the blanks written as they are.
    void addPadded(QStringView aText, int aWidth, classes::TAlignment aAlignment)
    {
        const qsizetype width = std::max(aWidth, 0);
        const qsizetype chars = ppCharCount(aText);
        if (chars >= width) {
            addUtf8(aText.left(ppCharsToUnits(aText, width)));
            return;
        }
        const qsizetype blanks = width - chars;
        qsizetype before = 0;
        if (aAlignment == classes::TAlignment::taRightJustify)
            before = blanks;
        else if (aAlignment == classes::TAlignment::taCenter)
            before = ppRound(double(blanks) / 2.0);
        addBlanks(std::size_t(before));
        addUtf8(aText);
        addBlanks(std::size_t(blanks - before));
    }

private:
    void addBlanks(std::size_t aCount)
    {
        std::fill_n(room(aCount), aCount, ' ');
        m_used += aCount;
    }

    char *room(std::size_t aCount)
    {
        if (m_used + aCount > m_bytes.size())
            m_bytes.resize(std::max(m_bytes.size() * 2, m_used + aCount));
        return m_bytes.data() + m_used;
    }

    std::string m_bytes;
    std::size_t m_used = 0;
};

} // namespace

std::vector<TppDrawText *> ppSavedDrawTexts(const TppPage &aPage)
{
    std::vector<TppDrawText *> texts;
    const int count = aPage.DrawCommandCount();
    for (int i = 0; i < count; ++i) {
        auto *text = dynamic_cast<TppDrawText *>(aPage.DrawCommands(i));
        if (text && text->BandSave() && text->ComponentSave())
            texts.push_back(text);
    }
    // Numeric and stable: the band's text keys put negative numbers after
    // positive ones, and equal keys must keep the order of the page.
    std::stable_sort(texts.begin(), texts.end(), [](const TppDrawText *a, const TppDrawText *b) {
        if (a->BandSaveNo() != b->BandSaveNo())
            return a->BandSaveNo() < b->BandSaveNo();
        return a->ComponentSaveNo() < b->ComponentSaveNo();
    });
    return texts;
}

void TppTextFileDevice::WritePage(TppPage *aPage)
{
    if (!aPage)
        return;
    const std::vector<TppDrawText *> items = ppSavedDrawTexts(*aPage);
    if (items.empty())
        return;

    char separator = 0;
    if (m_textFileType == TppFileType::ftComma)
        separator = ',';
    else if (m_textFileType == TppFileType::ftTab)
        separator = '\t';

    const std::weak_ptr<char> alive = LifeToken();
    const bool lastPage = aPage->LastPage();
    m_firstRecord = true;
    m_lastRecordOfPage = false;
    m_firstPage = aPage->PageNo() == 1;
    const int32_t lastBandSaveNo = items.back()->BandSaveNo();

    // The page's records go to the file in one write, encoded as they come.
    TextFileBytes out(items.size() * 24);
    std::size_t i = 0;
    while (i < items.size()) {
        const int32_t bandSaveNo = items[i]->BandSaveNo();
        m_fieldIndex = 0;
        m_firstField = true;
        m_endOfRecord = false;
        m_lastRecordOfReport = lastPage && bandSaveNo == lastBandSaveNo;
        const std::size_t lineStart = out.size();
        for (; i < items.size() && items[i]->BandSaveNo() == bandSaveNo; ++i) {
            TppDrawText *item = items[i];
            const bool lastItem = i + 1 == items.size();
            if (lastItem)
                m_lastRecordOfPage = true;
            m_endOfRecord = lastItem || items[i + 1]->BandSaveNo() != bandSaveNo;

            // Without a handler a fixed-length field goes to the file with
            // its blanks around it, never made as a string of its own.
            if (m_textFileType == TppFileType::ftFixedLength && !OnSaveText) {
                m_firstRecord = false;
                m_firstField = false;
                out.addPadded(item->Text(), item->SaveLength(), item->Alignment());
                ++m_fieldIndex;
                continue;
            }
            QString field = item->Text();
            if (m_textFileType == TppFileType::ftFixedLength)
                field = ppPadString(field, item->SaveLength(), item->Alignment());
            // Without a handler to see the quoted field, the quotes go
            // straight to the file.
            int quoteOnWrite = 0;
            if (m_textFileType == TppFileType::ftComma) {
                if (OnSaveText)
                    field = QuoteCommaField(field);
                else
                    quoteOnWrite = textFileQuoting(field);
            }
            if (OnSaveText) {
                OnSaveText(this, item->Component(), field);
                // The handler may have ended the job or freed the device.
                if (alive.expired() || !Busy())
                    return;
            }

            m_firstRecord = false;
            if (m_firstField)
                m_firstField = false;
            else if (separator)
                out.add(separator);
            if (quoteOnWrite == 1) {
                out.add('"');
                out.addUtf8(field);
                out.add('"');
            } else {
                out.addUtf8(quoteOnWrite == 2 ? QuoteCommaField(field) : field);
            }
            ++m_fieldIndex;
        }
        // An empty line writes nothing, not even its line end.
        if (out.size() != lineStart) {
            const bool lastOfReport = lastPage && i == items.size();
            if (m_textFileType != TppFileType::ftCustom && !lastOfReport)
                out.add('\r', '\n');
        }
        m_firstPage = false;
        ++m_recordCount;
    }
    WriteBuffer(out.data(), int64_t(out.size()));
}

} // namespace report
