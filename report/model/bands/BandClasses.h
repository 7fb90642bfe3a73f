#pragma once

// The kinds of band a report prints, each with its place in the report's
// band order, its kind bit in the engine's set of due bands, its caption
// and its answer to whether it prints now: page header and footer, title
// and summary, column header and footer, and the page style that paints
// behind chosen pages. The detail band and the group bands have units of
// their own.

#include "report/model/bands/CustomBand.h"

#include "platform/classes/StringList.h"

#include <QStringList>

#include <memory>

namespace report {

class TppPageBand : public TppBasicBand
{
    ZVO_CLASS(TppPageBand)
public:
    explicit TppPageBand(classes::TComponent *aOwner);
    bool UsesColumnWidth() const override { return false; }
    void StartGeneration() override;

    bool PrintOnFirstPage() const { return m_printOnFirstPage; }
    void SetPrintOnFirstPage(bool aValue);
    bool PrintOnLastPage() const { return m_printOnLastPage; }
    void SetPrintOnLastPage(bool aValue);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;

private:
    bool m_printOnFirstPage = true;
    bool m_printOnLastPage = true;
};

class TppHeaderBand : public TppPageBand
{
    ZVO_CLASS(TppHeaderBand)
public:
    explicit TppHeaderBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 2); }
    int GetBandKind() const override { return 4; }
    int BandTypeCode() const override { return 0; }
    QString GetDefaultCaption() const override;
    bool ResetOnPage() const override { return true; }
};

// Sits at the foot of the page; its height mode is always static.
class TppFooterBand : public TppPageBand
{
    ZVO_CLASS(TppFooterBand)
public:
    explicit TppFooterBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 8); }
    int GetBandKind() const override { return 8; }
    int BandTypeCode() const override { return 8; }
    QString GetDefaultCaption() const override;
    void SetPrintHeight(TppPrintHeightType) override {}
    void PlaceBand() override;
    // Its height mode cannot be chosen.
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
};

// Title and summary: printed once; with NewPage on a page of their own.
class TppReportBand : public TppBasicBand
{
    ZVO_CLASS(TppReportBand)
public:
    explicit TppReportBand(classes::TComponent *aOwner);
    bool UsesColumnWidth() const override { return false; }
    void InitObjects() override;

    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool aValue);
    bool PrintedOnce() const { return m_printedOnce; }
    void BuildPopupMenu(IppPopupMenu &aMenu) override;

protected:
    void SaveExtra(uint8_t *aBytes) const override { aBytes[0] = m_printedOnce; }
    void RestoreExtra(const uint8_t *aBytes) override { m_printedOnce = aBytes[0] != 0; }
    bool m_printedOnce = false;

private:
    bool m_newPage = false;
};

class TppTitleBand : public TppReportBand
{
    ZVO_CLASS(TppTitleBand)
public:
    explicit TppTitleBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 1); }
    int GetBandKind() const override { return 1; }
    int BandTypeCode() const override { return 1; }
    QString GetDefaultCaption() const override;
    bool ResetOnPage() const override { return true; }
    void StartGeneration() override;
    void EndGeneration() override;
};

class TppSummaryBand : public TppReportBand
{
    ZVO_CLASS(TppSummaryBand)
public:
    explicit TppSummaryBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 9); }
    int GetBandKind() const override { return 2; }
    int BandTypeCode() const override { return 7; }
    QString GetDefaultCaption() const override;
    void StartGeneration() override;
    void EndGeneration() override;
};

class TppColumnHeaderBand : public TppBasicBand
{
    ZVO_CLASS(TppColumnHeaderBand)
public:
    explicit TppColumnHeaderBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 3); }
    int GetBandKind() const override { return 16; }
    int BandTypeCode() const override { return 2; }
    QString GetDefaultCaption() const override;
    bool ResetOnPage() const override { return true; }
};

// Sits where the column ends; its height mode is always static.
class TppColumnFooterBand : public TppBasicBand
{
    ZVO_CLASS(TppColumnFooterBand)
public:
    explicit TppColumnFooterBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override { return QString::asprintf("%8d", 7); }
    int GetBandKind() const override { return 32; }
    int BandTypeCode() const override { return 6; }
    QString GetDefaultCaption() const override;
    void SetPrintHeight(TppPrintHeightType) override {}
    void PlaceBand() override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
};

class TppPageStyle : public TppBasicBand
{
    ZVO_CLASS(TppPageStyle)
public:
    explicit TppPageStyle(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override;
    int GetBandKind() const override { return 4; }
    int BandTypeCode() const override { return 9; }
    QString GetDefaultCaption() const override;
    bool UsesColumnWidth() const override { return false; }
    // Printed once per page.
    int DefaultPrintCountMode() const override { return 1; }
    bool PrintHook() override { return true; }
    bool ResetOnPage() const override { return true; }
    void StartGeneration() override;
    // Whether the style prints on the page of that number.
    bool PrintsOnPage(int aPageNo) const;

    TppPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TppPageSettingType aValue);
    // "%8d" of each page number.
    const QStringList &PageList() const { return m_pageList; }
    void SetPageList(const QStringList &aList);
    // PageList as a list that streams and scripts change in place.
    classes::TStrings *PageListStrings();
    int SinglePage() const { return m_singlePage; }
    void SetSinglePage(int aValue);
    int StartPage() const { return m_startPage; }
    void SetStartPage(int aValue);
    int EndPage() const { return m_endPage; }
    void SetEndPage(int aValue);
    const QString &ValidPages() const { return m_validPages; }
    // Parses into PageList and chooses psPageList; a text the parser
    // refuses changes nothing.
    void SetValidPages(const QString &aValue);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered page-setting dialog, modal; its OK applies.
    void ShowPageSettingDialog();

private:
    bool frozen() const;
    void changed();

    TppPageSettingType m_pageSetting = TppPageSettingType::psAll;
    QStringList m_pageList;
    std::unique_ptr<classes::TStringList> m_pageListStrings;
    int m_singlePage = 0;
    int m_startPage = 0;
    int m_endPage = 0;
    QString m_validPages;
};

} // namespace report
