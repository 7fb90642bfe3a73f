#pragma once

// TppTextFileDevice ("TextFile"): the texts the report's controls mark for
// saving, one record per band instance, as comma- or tab-separated,
// fixed-length or custom records.

#include "report/model/production/FileDevice.h"
#include "report/model/production/TextFileOutput.h"

namespace report {

class TppDrawText;

// Sender, the draw text's source component, the field as it will be written.
using TppTextFileSaveEvent = classes::TEvent<void(classes::TObject *Sender, classes::TObject *aSource, QString &aText)>;

class TppTextFileDevice
    : public TppFileDevice
    , public TppTextFileOutput
{
    ZVO_CLASS(TppTextFileDevice)
public:
    explicit TppTextFileDevice(classes::TComponent *aOwner = nullptr);

    static QString ClassDeviceName() { return QStringLiteral("TextFile"); }
    QString DeviceName() const override { return ClassDeviceName(); }
    QString DefaultExt() const override { return QStringLiteral("txt"); }
    QString DefaultExtFilter() const override { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    QString DeviceDescription(int32_t aLanguageIndex) const override;

    void StartJob() override;
    void EndJob() override;
    void ReceivePage(TppPage *aPage) override;
    void WritePage(TppPage *aPage);

    // The state of the record being built; meant for OnSaveText.
    bool EndOfRecord() const { return m_endOfRecord; }
    bool LastRecordOfPage() const { return m_lastRecordOfPage; }
    bool FirstPage() const { return m_firstPage; }
    int32_t FieldIndex() const { return m_fieldIndex; }
    int32_t RecordCount() const { return m_recordCount; }
    bool LastRecordOfReport() const { return m_lastRecordOfReport; }
    bool FirstField() const { return m_firstField; }
    bool FirstRecord() const { return m_firstRecord; }

    TppFileType TextFileType() const { return m_textFileType; }
    // Ignored while busy.
    void SetTextFileType(TppFileType aValue);

    TppTextFileSaveEvent OnSaveText;

    void SetOutputFileType(TppFileType aValue) override { SetTextFileType(aValue); }
    void HookSaveText(SaveTextHandler aHandler) override;

    // A field as a comma-separated record holds it: quoted when it holds a
    // comma, a blank, a quote, CR or LF, with inner quotes doubled.
    static QString QuoteCommaField(const QString &aField);

private:
    void clearRecordState();

    bool m_endOfRecord = false;
    bool m_lastRecordOfPage = false;
    bool m_firstPage = false;
    int32_t m_fieldIndex = 0;
    int32_t m_recordCount = 0;
    bool m_lastRecordOfReport = false;
    bool m_firstField = false;
    bool m_firstRecord = false;
    TppFileType m_textFileType = TppFileType::ftComma;
};

// Collects the page's draw texts that both their band and their control
// mark for saving, in record order: by band number, then save order, equal
// keys keeping page order.
std::vector<TppDrawText *> ppSavedDrawTexts(const TppPage &aPage);

} // namespace report
