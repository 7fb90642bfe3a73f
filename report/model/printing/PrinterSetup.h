#pragma once

// The persistent description of a page and a print job that every report,
// page and printer carries: printer, paper, orientation, margins, bin,
// copies, collation, duplex and document name. The geometry lives in a page
// definition in thousandths of a millimetre and is shown in Units.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"
#include "report/model/printing/PageDef.h"

#include "platform/classes/Component.h"
#include "platform/classes/EnumTypes.h"
#include "platform/classes/PropInfo.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace classes {
class TStrings;
}

namespace report {

class TppCustomPrinter;
class TppPrinterInfo;

class TppPrinterSetup : public classes::TPersistent
{
    ZVO_CLASS(TppPrinterSetup)
public:
    explicit TppPrinterSetup(classes::TComponent *aOwner = nullptr);
    ~TppPrinterSetup() override;

    // Everything but the pending paper size; no event fires.
    void Assign(const classes::TPersistent *source) override;
    void AssignAll(const TppPrinterSetup &aSource);
    bool IsEqual(const TppPrinterSetup &aOther) const;
    bool IsSamePrinterAndPaper(TppPrinterSetup &aOther);
    // The paper size read from an older stream, applied by the report's
    // version conversion.
    void ApplyLoadedPaperSize();
    virtual void Loaded() {}
    void DefineProperties(classes::TFiler &filer) override;
    classes::TComponent *Owner() const { return m_owner; }

    // ---- Paper helpers (on the printer's paper lists) ----
    // The code of the paper; 256 when it is not listed, 0 without a printer.
    int PaperCode();
    bool PaperNameFromCode(int aCode, QString &aName);
    // Width and height in Units, exchanged in landscape; false for a name
    // that is not listed.
    bool PaperSizeFromName(const QString &aName, float &aWidth, float &aHeight);
    // The first paper within 1.1 mm of the size (in Units, as the page
    // stands); "Custom" when none.
    void PaperNameFromSize(QString &aName, float aHeight, float aWidth);

    // ---- Properties ----
    bool Active() const { return m_active; }
    void SetActive(bool aActive) { m_active = aActive; }
    const QString &BinName() const { return m_binName; }
    void SetBinName(const QString &aName);
    bool Collation() const { return m_collation; }
    void SetCollation(bool aValue);
    int Copies() const { return m_copies; }
    void SetCopies(int aValue);
    bool CopiesByDriver() const { return m_copiesByDriver; }
    void SetCopiesByDriver(bool aValue) { m_copiesByDriver = aValue; }
    const QString &DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString &aName);
    const QString &OutputFileName() const { return m_outputFileName; }
    void SetOutputFileName(const QString &aName) { m_outputFileName = aName; }
    TppDuplexType Duplex() const { return m_duplex; }
    void SetDuplex(TppDuplexType aValue);
    classes::TPrinterOrientation Orientation() const { return m_orientation; }
    void SetOrientation(classes::TPrinterOrientation aValue);
    QString PaperName();
    void SetPaperName(const QString &aName);
    const QString &PrinterName() const { return m_printerName; }
    void SetPrinterName(const QString &aName);
    TppUnitType Units() const { return m_units; }
    void SetUnits(TppUnitType aUnits);

    float MarginBottom() const;
    float MarginLeft() const;
    float MarginRight() const;
    float MarginTop() const;
    float PaperHeight() const;
    float PaperWidth() const;
    void SetMarginBottom(float aValue);
    void SetMarginLeft(float aValue);
    void SetMarginRight(float aValue);
    void SetMarginTop(float aValue);
    void SetPaperHeight(float aValue);
    void SetPaperWidth(float aValue);

    QString PrinterDescription() const;
    const classes::TStrings &PrinterNames() const;
    const classes::TStrings &PaperNames() const;
    const classes::TStrings &BinNames() const;
    float PrintableHeight() const;
    float PrintableWidth() const;
    TppPageDef *PageDef() const { return m_pageDef.get(); }
    TppPrinterInfo *PrinterInfo() const { return m_printerInfo.get(); }

    int16_t PendingPaperSize() const { return m_pendingPaperSize; }
    void SetPendingPaperSize(int16_t aCode) { m_pendingPaperSize = aCode; }

    // ---- Events ----
    classes::TEvent<void(classes::TObject *, TppCustomPrinter *&)> OnGetPrinter;
    classes::TEvent<void(classes::TObject *, TppPageDef *, bool &)> OnPageDefChanging;
    classes::TNotifyEvent OnPageDefChange;
    classes::TNotifyEvent OnChange;

private:
    bool eventsActive() const;
    bool ownerReading() const;
    const PrinterResolution *printer() const;
    const TppPrinterInfo *infoOrPlaceholder() const;
    float fromPageDef(int32_t value, TppAxisType axis) const;
    int32_t toPageDef(float value, TppAxisType axis) const;
    void changed();
    void pageDefChanged();
    // Tries a change on the scratch page definition; true when allowed.
    bool offer();
    void setPageDefValue(void (TppPageDef::*set)(int32_t), float aValue, TppAxisType aAxis);
    void setPaperSize(bool aWidth, float aValue);

    classes::TComponent *m_owner;
    bool m_active = false;
    QString m_binName = QStringLiteral("Default");
    bool m_collation = true;
    int m_copies = 1;
    bool m_copiesByDriver = false;
    QString m_documentName;
    QString m_outputFileName;
    TppDuplexType m_duplex = TppDuplexType::dpNone;
    classes::TPrinterOrientation m_orientation = classes::TPrinterOrientation::poPortrait;
    std::unique_ptr<TppPageDef> m_pageDef;
    std::unique_ptr<TppPageDef> m_scratch;
    QString m_paperName = QStringLiteral("Custom");
    QString m_printerName = QStringLiteral("Default");
    std::shared_ptr<TppPrinterInfo> m_printerInfo;
    TppUnitType m_units = TppUnitType::utInches;
    int16_t m_pendingPaperSize = 0;
    float m_pendingPaperHeight = 0;
    float m_pendingPaperWidth = 0;
};

} // namespace report
