// The menu items the band classes add to a band's, and the page style's
// page-setting dialog.

#include "report/model/bands/BandClasses.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

void bandClassesPrintedOnceItems(IppPopupMenu &aMenu, const QString &aName, int aCaptionID)
{
    aMenu.AddItem(25, aName, aCaptionID, QString());
}

void bandClassesFixedHeight(IppPopupMenu &aMenu)
{
    for (const char *name : {"DynamicHeight", "StaticHeight"})
        if (IppMenuItem *item = aMenu.ItemByName(QLatin1String(name))) {
            item->SetEnabled(false);
            item->SetOnClick(nullptr);
        }
}

} // namespace

void TppPageBand::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppBasicBand::BuildPopupMenu(aMenu);
    bandClassesPrintedOnceItems(aMenu, QStringLiteral("PrintOnFirstPage"), 236);
    bandClassesPrintedOnceItems(aMenu, QStringLiteral("PrintOnLastPage"), 237);
    aMenu.AddItem(26, QStringLiteral("Line2"), 0, QStringLiteral("-"));
}

void TppFooterBand::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppPageBand::UpdatePopupMenu(aMenu);
    bandClassesFixedHeight(aMenu);
}

void TppColumnFooterBand::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppBasicBand::UpdatePopupMenu(aMenu);
    bandClassesFixedHeight(aMenu);
}

void TppReportBand::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppBasicBand::BuildPopupMenu(aMenu);
    bandClassesPrintedOnceItems(aMenu, QStringLiteral("NewPage"), 234);
    aMenu.AddItem(26, QStringLiteral("Line2"), 0, QStringLiteral("-"));
}

void TppPageStyle::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppBasicBand::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("PageSetting"), 0, QStringLiteral("Page &Setting..."));
}

void TppPageStyle::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppBasicBand::UpdatePopupMenu(aMenu);
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("PageSetting")))
        item->SetOnClick([this] { ShowPageSettingDialog(); });
}

void TppPageStyle::ShowPageSettingDialog()
{
    TppFormHandle<TppCustomPageSettingDialog> dialog(ppCreateForm<TppCustomPageSettingDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(LanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    dialog->PageSetting = int32_t(m_pageSetting);
    dialog->PageList()->Clear();
    for (const QString &page : m_pageList)
        dialog->PageList()->Add(page);
    dialog->PageText = m_validPages;
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    // A page text the user changed is parsed as typed; otherwise the
    // setting and the list stand as the dialog answers them.
    if (!dialog->PageText.isEmpty() && dialog->PageText != m_validPages) {
        SetValidPages(dialog->PageText);
        return;
    }
    QStringList pages;
    for (int i = 0; i < dialog->PageList()->Count(); ++i)
        pages << dialog->PageList()->Strings(i);
    SetPageList(pages);
    if (dialog->PageSetting >= 0 && dialog->PageSetting <= int32_t(TppPageSettingType::psPageRange))
        SetPageSetting(TppPageSettingType(dialog->PageSetting));
}

} // namespace report
