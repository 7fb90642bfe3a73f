#include "report/model/printing/PrinterSetup.h"

#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/rtl/FormatSettings.h"

#include <algorithm>
#include <cstdlib>

namespace report {

namespace {

using classes::TPrinterOrientation;

const QString CurrentName = QStringLiteral("Current");

QString currentAsDefault(const QString &name)
{
    return name == CurrentName ? DefaultName : name;
}

bool landscape(TPrinterOrientation orientation)
{
    return orientation == TPrinterOrientation::poLandscape;
}

// A page of at most 500 m, each size and margin: the engine adds and
// subtracts them, and a stored report edited by hand can carry any Integer.
constexpr int32_t maxPageExtent = 500000000;

int32_t pageExtent(int64_t aValue)
{
    return int32_t(std::clamp<int64_t>(aValue, 0, maxPageExtent));
}

} // namespace

const classes::TMetaClass &TppPrinterSetup::StaticClass()
{
    using S = TppPrinterSetup;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, classes::TPersistent>("TppPrinterSetup", [](classes::TClassBuilder<S> &c) {
            c.String("BinName", &S::BinName, &S::SetBinName);
            c.Boolean("Collation", &S::Collation, &S::SetCollation);
            c.Integer("Copies", &S::Copies, &S::SetCopies);
            c.String("DocumentName", &S::DocumentName, &S::SetDocumentName);
            c.Enum("Duplex", EnumInfo<TppDuplexType>(), &S::Duplex, &S::SetDuplex);
            c.Single("MarginBottom", &S::MarginBottom, &S::SetMarginBottom);
            c.Single("MarginLeft", &S::MarginLeft, &S::SetMarginLeft);
            c.Single("MarginRight", &S::MarginRight, &S::SetMarginRight);
            c.Single("MarginTop", &S::MarginTop, &S::SetMarginTop);
            c.Enum("Orientation", classes::PrinterOrientationInfo(), &S::Orientation, &S::SetOrientation);
            c.Single("PaperHeight", &S::PaperHeight, &S::SetPaperHeight);
            c.String(
                "PaperName", [](const S &s) { return const_cast<S &>(s).PaperName(); }, &S::SetPaperName);
            c.Single("PaperWidth", &S::PaperWidth, &S::SetPaperWidth);
            c.String("PrinterName", &S::PrinterName, &S::SetPrinterName);
        });
    return meta;
}

TppPrinterSetup::TppPrinterSetup(classes::TComponent *aOwner)
    : m_owner(aOwner)
    , m_pageDef(std::make_unique<TppPageDef>())
    , m_scratch(std::make_unique<TppPageDef>())
{
    // Letter where numbers are written with a point, A4 elsewhere; 11 inches
    // come out as 279401 through the inch conversion, and stored reports
    // hold exactly that.
    const bool letter = rtl::FormatSettings().DecimalSeparator == QLatin1Char('.');
    m_pageDef->SetmmWidth(letter ? 215900 : 210000);
    m_pageDef->SetmmHeight(letter ? 279401 : 297000);
    m_pageDef->SetmmMarginLeft(6350);
    m_pageDef->SetmmMarginRight(6350);
    m_pageDef->SetmmMarginTop(6350);
    m_pageDef->SetmmMarginBottom(6350);
    m_printerInfo = ppHoldPrinterInfo(ppGetPrinterList()->PrinterByName(m_printerName));
    m_active = true;
}

TppPrinterSetup::~TppPrinterSetup() = default;

// ---- Events and conversions ------------------------------------------------

bool TppPrinterSetup::ownerReading() const
{
    return m_owner && m_owner->HasState(classes::csReading);
}

bool TppPrinterSetup::eventsActive() const
{
    return m_active && !(m_owner && m_owner->HasState(classes::csLoading | classes::csReading));
}

const PrinterResolution *TppPrinterSetup::printer() const
{
    if (m_units != TppUnitType::utPrinterPixels)
        return nullptr;
    TppCustomPrinter *printer = nullptr;
    if (OnGetPrinter)
        OnGetPrinter(const_cast<TppPrinterSetup *>(this), printer);
    if (!printer)
        printer = ppGetGlobalPrinter();
    return printer;
}

const TppPrinterInfo *TppPrinterSetup::infoOrPlaceholder() const
{
    return m_printerInfo ? m_printerInfo.get() : ppGetNoPrinterInfo();
}

float TppPrinterSetup::fromPageDef(int32_t value, TppAxisType axis) const
{
    return ppFromMMThousandths(value, m_units, axis, printer());
}

int32_t TppPrinterSetup::toPageDef(float value, TppAxisType axis) const
{
    return ppToMMThousandths(value, m_units, axis, printer());
}

void TppPrinterSetup::changed()
{
    if (eventsActive() && OnChange)
        OnChange(this);
}

void TppPrinterSetup::pageDefChanged()
{
    if (eventsActive() && OnPageDefChange)
        OnPageDefChange(this);
}

bool TppPrinterSetup::offer()
{
    bool allow = true;
    if (eventsActive() && OnPageDefChanging)
        OnPageDefChanging(this, m_scratch.get(), allow);
    return allow;
}

// ---- Paper helpers -----------------------------------------------------------

int TppPrinterSetup::PaperCode()
{
    if (!m_printerInfo)
        return 0;
    // The paper as the getter answers it: a stored "Custom" whose size is a
    // listed paper is that paper. The printer lists "Custom" itself, so the
    // stored name would find it and a plain Letter page would go out, and be
    // stored, as a size of its own.
    const QString paperName = PaperName();
    const TppPrinterCapabilities *caps = m_printerInfo->GetCapabilities();
    int index = caps->PaperNames.IndexOf(paperName);
    if (index < 0) {
        QString name;
        PaperNameFromSize(name, PaperHeight(), PaperWidth());
        index = caps->PaperNames.IndexOf(name);
    }
    if (index >= 0 && index < caps->PaperCodes.Count())
        return caps->PaperCodes.Strings(index).toInt();
    return 256;
}

bool TppPrinterSetup::PaperNameFromCode(int aCode, QString &aName)
{
    if (!m_printerInfo)
        return false;
    const TppPrinterCapabilities *caps = m_printerInfo->GetCapabilities();
    const int index = caps->PaperCodes.IndexOf(QString::number(aCode));
    if (index < 0 || index >= caps->PaperNames.Count())
        return false;
    aName = caps->PaperNames.Strings(index);
    return true;
}

bool TppPrinterSetup::PaperSizeFromName(const QString &aName, float &aWidth, float &aHeight)
{
    if (!m_printerInfo)
        return false;
    const TppPrinterCapabilities *caps = m_printerInfo->GetCapabilities();
    const int index = caps->PaperNames.IndexOf(aName);
    if (index < 0 || index >= caps->PaperWidths.Count() || index >= caps->PaperHeights.Count())
        return false;
    const int width = caps->PaperWidths.Strings(index).toInt();
    const int height = caps->PaperHeights.Strings(index).toInt();
    const PrinterResolution *res = printer();
    aWidth = ppFromTenthMillimeters(width, m_units, TppAxisType::atHorizontal, res);
    aHeight = ppFromTenthMillimeters(height, m_units, TppAxisType::atVertical, res);
    if (landscape(m_orientation))
        std::swap(aWidth, aHeight);
    return true;
}

void TppPrinterSetup::PaperNameFromSize(QString &aName, float aHeight, float aWidth)
{
    aName = CustomName;
    if (!m_printerInfo)
        return;
    const PrinterResolution *res = printer();
    int height = ppToTenthMillimeters(aHeight, m_units, TppAxisType::atVertical, res);
    int width = ppToTenthMillimeters(aWidth, m_units, TppAxisType::atHorizontal, res);
    if (landscape(m_orientation))
        std::swap(height, width);
    const TppPrinterCapabilities *caps = m_printerInfo->GetCapabilities();
    const int count = std::min({caps->PaperNames.Count(), caps->PaperWidths.Count(), caps->PaperHeights.Count()});
    for (int i = 0; i < count; ++i) {
        const int64_t dh = int64_t(caps->PaperHeights.Strings(i).toInt()) - height;
        const int64_t dw = int64_t(caps->PaperWidths.Strings(i).toInt()) - width;
        if (std::llabs(dh) < 11 && std::llabs(dw) < 11) {
            aName = caps->PaperNames.Strings(i);
            return;
        }
    }
}

// ---- Property setters ----------------------------------------------------------

void TppPrinterSetup::SetBinName(const QString &aName)
{
    const QString name = currentAsDefault(aName);
    if (name == m_binName)
        return;
    m_binName = name;
    changed();
}

void TppPrinterSetup::SetCollation(bool aValue)
{
    if (aValue == m_collation)
        return;
    m_collation = aValue;
    changed();
}

void TppPrinterSetup::SetCopies(int aValue)
{
    if (aValue < 1 || aValue == m_copies)
        return;
    m_copies = aValue;
    changed();
}

void TppPrinterSetup::SetDocumentName(const QString &aName)
{
    if (aName == m_documentName)
        return;
    m_documentName = aName;
    changed();
}

void TppPrinterSetup::SetDuplex(TppDuplexType aValue)
{
    if (aValue == m_duplex)
        return;
    m_duplex = aValue;
    changed();
}

void TppPrinterSetup::SetPrinterName(const QString &aName)
{
    const QString name = currentAsDefault(aName);
    const bool active = eventsActive();
    const int code = active ? PaperCode() : 0;
    TppPrinterInfo *info = ppGetPrinterList()->PrinterByName(name);
    if (!info)
        return;
    m_printerName = name == DefaultName ? DefaultName : info->Name();
    m_printerInfo = ppHoldPrinterInfo(info);
    if (active) {
        QString paper;
        if (code == 0 || code == 256 || !PaperNameFromCode(code, paper))
            PaperNameFromSize(paper, PaperHeight(), PaperWidth());
        SetPaperName(paper);
    }
    changed();
}

void TppPrinterSetup::setPageDefValue(void (TppPageDef::*set)(int32_t), float aValue, TppAxisType aAxis)
{
    if (aValue < 0)
        return;
    const int32_t value = pageExtent(toPageDef(aValue, aAxis));
    m_scratch->Assign(m_pageDef.get());
    (m_scratch.get()->*set)(value);
    if (!offer())
        return;
    (m_pageDef.get()->*set)(value);
    pageDefChanged();
}

void TppPrinterSetup::SetMarginBottom(float aValue)
{
    setPageDefValue(&TppPageDef::SetmmMarginBottom, aValue, TppAxisType::atVertical);
}

void TppPrinterSetup::SetMarginLeft(float aValue)
{
    setPageDefValue(&TppPageDef::SetmmMarginLeft, aValue, TppAxisType::atHorizontal);
}

void TppPrinterSetup::SetMarginRight(float aValue)
{
    setPageDefValue(&TppPageDef::SetmmMarginRight, aValue, TppAxisType::atHorizontal);
}

void TppPrinterSetup::SetMarginTop(float aValue)
{
    setPageDefValue(&TppPageDef::SetmmMarginTop, aValue, TppAxisType::atVertical);
}

void TppPrinterSetup::setPaperSize(bool aWidth, float aValue)
{
    if (ownerReading()) {
        (aWidth ? m_pendingPaperWidth : m_pendingPaperHeight) = aValue;
        return;
    }
    if (aValue < 0)
        return;
    const TppAxisType axis = aWidth ? TppAxisType::atHorizontal : TppAxisType::atVertical;
    const int32_t value = pageExtent(toPageDef(aValue, axis));
    m_scratch->Assign(m_pageDef.get());
    aWidth ? m_scratch->SetmmWidth(value) : m_scratch->SetmmHeight(value);
    if (!offer())
        return;
    aWidth ? m_pageDef->SetmmWidth(value) : m_pageDef->SetmmHeight(value);
    PaperNameFromSize(m_paperName, PaperHeight(), PaperWidth());
    pageDefChanged();
}

void TppPrinterSetup::SetPaperWidth(float aValue)
{
    setPaperSize(true, aValue);
}

void TppPrinterSetup::SetPaperHeight(float aValue)
{
    setPaperSize(false, aValue);
}

void TppPrinterSetup::SetPaperName(const QString &aName)
{
    float width = 0;
    float height = 0;
    if (!eventsActive() || aName == CustomName) {
        m_paperName = aName;
        return;
    }
    if (aName.contains(QLatin1String("Envelope")))
        m_orientation = TPrinterOrientation::poLandscape;
    // A name the printer does not list keeps the size the page has.
    if (!PaperSizeFromName(aName, width, height)) {
        m_paperName = aName;
        return;
    }
    m_scratch->Assign(m_pageDef.get());
    m_scratch->SetmmWidth(toPageDef(width, TppAxisType::atHorizontal));
    m_scratch->SetmmHeight(toPageDef(height, TppAxisType::atVertical));
    if (!offer())
        return;
    m_paperName = aName;
    m_pageDef->SetmmWidth(m_scratch->mmWidth());
    m_pageDef->SetmmHeight(m_scratch->mmHeight());
    pageDefChanged();
}

QString TppPrinterSetup::PaperName()
{
    if (m_pendingPaperSize != 0) {
        QString name;
        if (PaperNameFromCode(m_pendingPaperSize, name))
            m_paperName = name;
        m_pendingPaperSize = 0;
    }
    if (m_paperName == CustomName)
        PaperNameFromSize(m_paperName, PaperHeight(), PaperWidth());
    return m_paperName;
}

void TppPrinterSetup::SetOrientation(TPrinterOrientation aValue)
{
    if (aValue == m_orientation)
        return;
    m_scratch->Assign(m_pageDef.get());
    m_scratch->SetmmWidth(m_pageDef->mmHeight());
    m_scratch->SetmmHeight(m_pageDef->mmWidth());
    if (!offer())
        return;
    m_orientation = aValue;
    const int32_t width = m_pageDef->mmWidth();
    m_pageDef->SetmmWidth(m_pageDef->mmHeight());
    m_pageDef->SetmmHeight(width);
    pageDefChanged();
}

void TppPrinterSetup::SetUnits(TppUnitType aUnits)
{
    if (aUnits == m_units)
        return;
    if (!eventsActive()) {
        m_units = aUnits;
        return;
    }
    float width = PaperWidth();
    float height = PaperHeight();
    m_units = aUnits;
    if (m_paperName == CustomName || !PaperSizeFromName(m_paperName, width, height)) {
        width = PaperWidth();
        height = PaperHeight();
    }
    m_pageDef->SetmmWidth(toPageDef(width, TppAxisType::atHorizontal));
    m_pageDef->SetmmHeight(toPageDef(height, TppAxisType::atVertical));
    pageDefChanged();
}

// ---- Getters in Units ----------------------------------------------------------

float TppPrinterSetup::MarginBottom() const
{
    return fromPageDef(m_pageDef->mmMarginBottom(), TppAxisType::atVertical);
}

float TppPrinterSetup::MarginLeft() const
{
    return fromPageDef(m_pageDef->mmMarginLeft(), TppAxisType::atHorizontal);
}

float TppPrinterSetup::MarginRight() const
{
    return fromPageDef(m_pageDef->mmMarginRight(), TppAxisType::atHorizontal);
}

float TppPrinterSetup::MarginTop() const
{
    return fromPageDef(m_pageDef->mmMarginTop(), TppAxisType::atVertical);
}

float TppPrinterSetup::PaperHeight() const
{
    return fromPageDef(m_pageDef->mmHeight(), TppAxisType::atVertical);
}

float TppPrinterSetup::PaperWidth() const
{
    return fromPageDef(m_pageDef->mmWidth(), TppAxisType::atHorizontal);
}

float TppPrinterSetup::PrintableHeight() const
{
    return fromPageDef(m_pageDef->mmPrintableHeight(), TppAxisType::atVertical);
}

float TppPrinterSetup::PrintableWidth() const
{
    return fromPageDef(m_pageDef->mmPrintableWidth(), TppAxisType::atHorizontal);
}

QString TppPrinterSetup::PrinterDescription() const
{
    if (m_printerName == DefaultName)
        return ppGetPrinterList()->DefaultPrinterName();
    return m_printerName;
}

const classes::TStrings &TppPrinterSetup::PrinterNames() const
{
    return ppGetPrinterList()->Printers();
}

const classes::TStrings &TppPrinterSetup::PaperNames() const
{
    return const_cast<TppPrinterInfo *>(infoOrPlaceholder())->GetCapabilities()->PaperNames;
}

const classes::TStrings &TppPrinterSetup::BinNames() const
{
    return const_cast<TppPrinterInfo *>(infoOrPlaceholder())->GetCapabilities()->BinNames;
}

// ---- Copies, comparison and streaming ------------------------------------------

void TppPrinterSetup::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppPrinterSetup *>(source);
    if (!other) {
        classes::TPersistent::Assign(source);
        return;
    }
    m_collation = other->m_collation;
    m_copies = other->m_copies;
    m_copiesByDriver = other->m_copiesByDriver;
    m_documentName = other->m_documentName;
    m_outputFileName = other->m_outputFileName;
    m_printerName = other->m_printerName;
    m_duplex = other->m_duplex;
    m_orientation = other->m_orientation;
    m_pageDef->Assign(other->m_pageDef.get());
    m_printerInfo = ppHoldPrinterInfo(ppGetPrinterList()->PrinterByName(m_printerName));
    m_paperName = other->m_paperName;
    m_binName = other->m_binName;
    m_units = other->m_units;
}

void TppPrinterSetup::AssignAll(const TppPrinterSetup &aSource)
{
    Assign(&aSource);
    m_pendingPaperSize = aSource.m_pendingPaperSize;
}

bool TppPrinterSetup::IsEqual(const TppPrinterSetup &aOther) const
{
    return PrinterDescription() == aOther.PrinterDescription() && m_binName == aOther.m_binName &&
           m_collation == aOther.m_collation && m_copies == aOther.m_copies &&
           m_copiesByDriver == aOther.m_copiesByDriver && m_documentName == aOther.m_documentName &&
           m_outputFileName == aOther.m_outputFileName && m_duplex == aOther.m_duplex &&
           m_orientation == aOther.m_orientation && m_pageDef->IsEqual(*aOther.m_pageDef);
}

bool TppPrinterSetup::IsSamePrinterAndPaper(TppPrinterSetup &aOther)
{
    return PrinterDescription() == aOther.PrinterDescription() && m_orientation == aOther.m_orientation &&
           PaperName() == aOther.PaperName();
}

void TppPrinterSetup::ApplyLoadedPaperSize()
{
    m_pageDef->SetmmHeight(pageExtent(toPageDef(m_pendingPaperHeight, TppAxisType::atVertical)));
    m_pageDef->SetmmWidth(pageExtent(toPageDef(m_pendingPaperWidth, TppAxisType::atHorizontal)));
}

void TppPrinterSetup::DefineProperties(classes::TFiler &filer)
{
    // Thousandths next to the values in Units, so that a report keeps its
    // exact geometry whatever the unit rounds to.
    const auto define = [&filer](const char *name, TppPageDef *def, int32_t (TppPageDef::*get)() const,
                                 void (TppPageDef::*set)(int32_t)) {
        filer.DefineProperty(
            QString::fromLatin1(name), [def, set](classes::TReader &r) { (def->*set)(pageExtent(r.ReadInteger())); },
            [def, get](classes::TWriter &w) { w.WriteInteger((def->*get)()); }, true);
    };
    TppPageDef *def = m_pageDef.get();
    define("mmMarginBottom", def, &TppPageDef::mmMarginBottom, &TppPageDef::SetmmMarginBottom);
    define("mmMarginLeft", def, &TppPageDef::mmMarginLeft, &TppPageDef::SetmmMarginLeft);
    define("mmMarginRight", def, &TppPageDef::mmMarginRight, &TppPageDef::SetmmMarginRight);
    define("mmMarginTop", def, &TppPageDef::mmMarginTop, &TppPageDef::SetmmMarginTop);
    define("mmPaperHeight", def, &TppPageDef::mmHeight, &TppPageDef::SetmmHeight);
    define("mmPaperWidth", def, &TppPageDef::mmWidth, &TppPageDef::SetmmWidth);
    filer.DefineProperty(
        QStringLiteral("PaperSize"), [this](classes::TReader &r) { m_pendingPaperSize = int16_t(r.ReadInteger()); },
        [this](classes::TWriter &w) { w.WriteInteger(PaperCode()); }, true);
}

} // namespace report
