#include "report/output/TextFileDevice.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>

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

QString TppTextFileDevice::QuoteCommaField(const QString &aField)
{
    bool quote = false;
    for (const QChar c : aField) {
        if (c == u',' || c == u' ' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    }
    if (!quote)
        return aField;
    QString quoted;
    quoted.reserve(aField.size() + 2);
    quoted += u'"';
    for (const QChar c : aField) {
        if (c == u'"')
            quoted += u'"';
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

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

    QString separator;
    if (m_textFileType == TppFileType::ftComma)
        separator = QStringLiteral(",");
    else if (m_textFileType == TppFileType::ftTab)
        separator = QStringLiteral("\t");

    const std::weak_ptr<char> alive = LifeToken();
    const bool lastPage = aPage->LastPage();
    m_firstRecord = true;
    m_lastRecordOfPage = false;
    m_firstPage = aPage->PageNo() == 1;
    const int32_t lastBandSaveNo = items.back()->BandSaveNo();

    QByteArray out;
    std::size_t i = 0;
    while (i < items.size()) {
        const int32_t bandSaveNo = items[i]->BandSaveNo();
        m_fieldIndex = 0;
        m_firstField = true;
        m_endOfRecord = false;
        m_lastRecordOfReport = lastPage && bandSaveNo == lastBandSaveNo;
        QString line;
        for (; i < items.size() && items[i]->BandSaveNo() == bandSaveNo; ++i) {
            TppDrawText *item = items[i];
            const bool lastItem = i + 1 == items.size();
            if (lastItem)
                m_lastRecordOfPage = true;
            m_endOfRecord = lastItem || items[i + 1]->BandSaveNo() != bandSaveNo;

            QString field = item->Text();
            if (m_textFileType == TppFileType::ftFixedLength)
                field = ppPadString(field, item->SaveLength(), item->Alignment());
            else if (m_textFileType == TppFileType::ftComma)
                field = QuoteCommaField(field);
            if (OnSaveText) {
                OnSaveText(this, item->Component(), field);
                // The handler may have ended the job or freed the device.
                if (alive.expired() || !Busy())
                    return;
            }

            m_firstRecord = false;
            if (m_firstField)
                m_firstField = false;
            else
                line += separator;
            line += field;
            ++m_fieldIndex;
        }
        if (!line.isEmpty()) {
            out += line.toUtf8();
            const bool lastOfReport = lastPage && i == items.size();
            if (m_textFileType != TppFileType::ftCustom && !lastOfReport)
                out += "\r\n";
        }
        m_firstPage = false;
        ++m_recordCount;
    }
    WriteBuffer(out.constData(), out.size());
}

} // namespace report
