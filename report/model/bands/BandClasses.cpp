#include "report/model/bands/BandClasses.h"

#include "report/model/bands/ReportContext.h"
#include "report/model/base/Messages.h"
#include "report/model/base/PageList.h"
#include "report/model/engine/CustomEngine.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

namespace {

// The common start of each band class's constructor.
void bandClassDefaults(TppBand &aBand, const char *aUserName)
{
    aBand.SetUserName(QString::fromLatin1(aUserName));
}

} // namespace

const classes::TMetaClass &TppPageBand::StaticClass()
{
    using B = TppPageBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppPageBand", [](auto &c) {
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
        c.Boolean("PrintOnFirstPage", &B::PrintOnFirstPage, &B::SetPrintOnFirstPage).Default(true);
        c.Boolean("PrintOnLastPage", &B::PrintOnLastPage, &B::SetPrintOnLastPage).Default(true);
    });
    return meta;
}

const classes::TMetaClass &TppHeaderBand::StaticClass()
{
    using B = TppHeaderBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppPageBand>("TppHeaderBand", [](auto &c) {
        c.Single("BottomOffset", &B::BottomOffset, &B::SetBottomOffset).StoredConst = false;
        c.Single("PrintPosition", &B::PrintPosition, &B::SetPrintPosition).StoredConst = false;
    });
    return meta;
}

const classes::TMetaClass &TppFooterBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppFooterBand, TppPageBand>("TppFooterBand");
    return meta;
}

const classes::TMetaClass &TppReportBand::StaticClass()
{
    using B = TppReportBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppReportBand", [](auto &c) {
        c.Single("BottomOffset", &B::BottomOffset, &B::SetBottomOffset).StoredConst = false;
        c.Boolean("NewPage", &B::NewPage, &B::SetNewPage).Default(false);
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
        c.Single("PrintPosition", &B::PrintPosition, &B::SetPrintPosition).StoredConst = false;
    });
    return meta;
}

const classes::TMetaClass &TppTitleBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppTitleBand, TppReportBand>("TppTitleBand");
    return meta;
}

const classes::TMetaClass &TppSummaryBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppSummaryBand, TppReportBand>("TppSummaryBand");
    return meta;
}

const classes::TMetaClass &TppColumnHeaderBand::StaticClass()
{
    using B = TppColumnHeaderBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppColumnHeaderBand", [](auto &c) {
        c.Single("BottomOffset", &B::BottomOffset, &B::SetBottomOffset).StoredConst = false;
        c.Single("PrintPosition", &B::PrintPosition, &B::SetPrintPosition).StoredConst = false;
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
    });
    return meta;
}

const classes::TMetaClass &TppColumnFooterBand::StaticClass()
{
    using B = TppColumnFooterBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppColumnFooterBand", [](auto &c) {
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
    });
    return meta;
}

const classes::TMetaClass &TppPageStyle::StaticClass()
{
    using B = TppPageStyle;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppPageStyle", [](auto &c) {
        c.Integer("EndPage", &B::EndPage, &B::SetEndPage).Default(0);
        c.Object(
            "PageList", [](const B &b) { return const_cast<B &>(b).PageListStrings(); },
            [](B &b, classes::TStrings *aPages) {
                QStringList pages;
                for (int i = 0; aPages && i < aPages->Count(); ++i)
                    pages.append(aPages->Strings(i));
                b.SetPageList(pages);
            });
        c.Enum("PageSetting", EnumInfo<TppPageSettingType>(), &B::PageSetting, &B::SetPageSetting)
            .Default(TppPageSettingType::psAll);
        c.Integer("SinglePage", &B::SinglePage, &B::SetSinglePage).Default(0);
        c.Integer("StartPage", &B::StartPage, &B::SetStartPage).Default(0);
        c.String("ValidPages", &B::ValidPages, &B::SetValidPages);
    });
    return meta;
}

// ---- Page bands -----------------------------------------------------------------------

TppPageBand::TppPageBand(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{}

void TppPageBand::SetPrintOnFirstPage(bool aValue)
{
    m_printOnFirstPage = aValue;
    PropertyChange();
    ReportRefresh();
}

void TppPageBand::SetPrintOnLastPage(bool aValue)
{
    m_printOnLastPage = aValue;
    PropertyChange();
    ReportRefresh();
}

void TppPageBand::StartGeneration()
{
    TppCustomEngine *engine = PageEngine();
    if (!engine || (!m_printOnFirstPage && engine->PageNo() == 1) || (!m_printOnLastPage && engine->IsLastPage()))
        SetGenerationComplete(true);
}

TppHeaderBand::TppHeaderBand(classes::TComponent *aOwner)
    : TppPageBand(aOwner)
{
    bandClassDefaults(*this, "Header");
    SetCaptionIndex(193);
}

QString TppHeaderBand::GetDefaultCaption() const
{
    return ppLoadStr(193);
}

TppFooterBand::TppFooterBand(classes::TComponent *aOwner)
    : TppPageBand(aOwner)
{
    bandClassDefaults(*this, "Footer");
    SetCaptionIndex(190);
}

QString TppFooterBand::GetDefaultCaption() const
{
    return ppLoadStr(190);
}

void TppFooterBand::PlaceBand()
{
    if (TppCustomEngine *engine = PageEngine()) {
        SetPageBottom(engine->GetPageAreaBottom());
        SetStartingPosition(PageBottom() - mmHeight());
    }
}

// ---- Report bands ---------------------------------------------------------------------

TppReportBand::TppReportBand(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{}

void TppReportBand::SetNewPage(bool aValue)
{
    m_newPage = aValue;
    if (!Report() || HasState(classes::csReading))
        return;
    PropertyChange();
    ReportRefresh();
}

void TppReportBand::InitObjects()
{
    TppBasicBand::InitObjects();
    m_printedOnce = false;
}

TppTitleBand::TppTitleBand(classes::TComponent *aOwner)
    : TppReportBand(aOwner)
{
    bandClassDefaults(*this, "Title");
    SetCaptionIndex(195);
}

QString TppTitleBand::GetDefaultCaption() const
{
    return ppLoadStr(195);
}

void TppTitleBand::StartGeneration()
{
    if (!NewPage())
        return;
    if (m_printedOnce) {
        SetGenerationComplete(true);
        if (TppCustomEngine *engine = PageEngine())
            engine->ExcludeEngineState(ppEngineState::TitleNewPage);
    } else if (TppCustomEngine *engine = PageEngine()) {
        engine->IncludeEngineState(ppEngineState::TitleNewPage);
    }
}

void TppTitleBand::EndGeneration()
{
    // The report goes on on the next page.
    if (!NewPage() || m_printedOnce || !PrintedWhole())
        return;
    m_printedOnce = true;
    // A hidden title takes no page of its own.
    if (Visible())
        SetOutOfSpace(true);
    else if (TppCustomEngine *engine = PageEngine())
        engine->ExcludeEngineState(ppEngineState::TitleNewPage);
}

TppSummaryBand::TppSummaryBand(classes::TComponent *aOwner)
    : TppReportBand(aOwner)
{
    bandClassDefaults(*this, "Summary");
    SetCaptionIndex(194);
}

QString TppSummaryBand::GetDefaultCaption() const
{
    return ppLoadStr(194);
}

void TppSummaryBand::StartGeneration()
{
    TppCustomEngine *engine = PageEngine();
    if (!NewPage() || !engine)
        return;
    if (!m_printedOnce) {
        // First the page break, then the summary at the top of the next page.
        m_printedOnce = true;
        engine->IncludeEngineState(ppEngineState::SummaryNewPage);
        if (Visible()) {
            SetOutOfSpace(true);
            SetGenerationComplete(true);
        }
    }
}

void TppSummaryBand::EndGeneration()
{
    if (NewPage() && m_printedOnce && PrintedWhole())
        if (TppCustomEngine *engine = PageEngine())
            engine->ExcludeEngineState(ppEngineState::SummaryNewPage);
}

// ---- Column bands ---------------------------------------------------------------------

TppColumnHeaderBand::TppColumnHeaderBand(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{
    bandClassDefaults(*this, "ColumnHeader");
    SetCaptionIndex(188);
    SetmmHeight(0);
}

QString TppColumnHeaderBand::GetDefaultCaption() const
{
    return ppLoadStr(188);
}

TppColumnFooterBand::TppColumnFooterBand(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{
    bandClassDefaults(*this, "ColumnFooter");
    SetCaptionIndex(187);
    SetmmHeight(0);
}

QString TppColumnFooterBand::GetDefaultCaption() const
{
    return ppLoadStr(187);
}

void TppColumnFooterBand::PlaceBand()
{
    if (TppCustomEngine *engine = PageEngine()) {
        SetPageBottom(engine->GetPageAreaBottom());
        SetStartingPosition(engine->GetColumnBottom());
    }
}

// ---- Page style -----------------------------------------------------------------------

TppPageStyle::TppPageStyle(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{
    bandClassDefaults(*this, "PageStyle");
    SetCaptionIndex(691);
}

QString TppPageStyle::GetSortKey() const
{
    return QString::asprintf("%8d", Report() && Report()->MainReportPrinting() ? 0 : 10);
}

QString TppPageStyle::GetDefaultCaption() const
{
    return ppLoadStr(691);
}

bool TppPageStyle::PrintsOnPage(int aPageNo) const
{
    switch (m_pageSetting) {
    case TppPageSettingType::psAll: return Visible();
    case TppPageSettingType::psPageList: return m_pageList.contains(QString::asprintf("%8d", aPageNo));
    case TppPageSettingType::psSinglePage: return aPageNo == m_singlePage;
    case TppPageSettingType::psFirstPage: return aPageNo == 1;
    case TppPageSettingType::psLastPage: {
        TppCustomEngine *engine = PageEngine();
        return engine && engine->IsLastPage();
    }
    case TppPageSettingType::psPageRange: return aPageNo >= m_startPage && (m_endPage == 0 || aPageNo <= m_endPage);
    }
    return false;
}

void TppPageStyle::StartGeneration()
{
    TppCustomEngine *engine = PageEngine();
    if (!engine || !PrintsOnPage(engine->PageNo()))
        SetGenerationComplete(true);
}

bool TppPageStyle::frozen() const
{
    return Report() && Report()->MainReportPrinting();
}

void TppPageStyle::changed()
{
    PropertyChange();
    ReportRefresh();
}

void TppPageStyle::SetPageSetting(TppPageSettingType aValue)
{
    if (frozen())
        return;
    m_pageSetting = aValue;
    changed();
}

void TppPageStyle::SetPageList(const QStringList &aList)
{
    if (frozen())
        return;
    m_pageList = aList;
    changed();
}

classes::TStrings *TppPageStyle::PageListStrings()
{
    if (!m_pageListStrings)
        m_pageListStrings = std::make_unique<classes::TStringList>();
    classes::TStringList &list = *m_pageListStrings;
    list.OnChange = nullptr;
    list.Clear();
    for (const QString &page : m_pageList)
        list.Add(page);
    list.OnChange = [this](classes::TObject *) {
        QStringList pages;
        for (int i = 0; i < m_pageListStrings->Count(); ++i)
            pages.append(m_pageListStrings->Strings(i));
        SetPageList(pages);
    };
    return &list;
}

void TppPageStyle::SetSinglePage(int aValue)
{
    if (frozen())
        return;
    m_singlePage = aValue;
    changed();
}

void TppPageStyle::SetStartPage(int aValue)
{
    if (frozen())
        return;
    m_startPage = aValue;
    changed();
}

void TppPageStyle::SetEndPage(int aValue)
{
    if (frozen())
        return;
    m_endPage = aValue;
    changed();
}

void TppPageStyle::SetValidPages(const QString &aValue)
{
    if (frozen() || aValue == m_validPages)
        return;
    std::vector<int> pages;
    if (!ppParsePageList(aValue, pages))
        return;
    m_validPages = aValue;
    m_pageList.clear();
    for (int page : pages)
        m_pageList.append(QString::asprintf("%8d", page));
    // A stream holds the setting it was saved with, written before the
    // pages: it stays.
    if (!HasState(classes::csReading))
        m_pageSetting = TppPageSettingType::psPageList;
    changed();
}

} // namespace report
