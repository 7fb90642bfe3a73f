// The subreport's side in a designer: its menu items and the drill-down
// dialog.

#include "report/model/bands/Band.h"
#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

namespace report {

void TppSubReport::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::BuildPopupMenu(aMenu);
    aMenu.AddItem(25, QStringLiteral("Child"), 0, QStringLiteral("Child"));
    aMenu.AddItem(25, QStringLiteral("Fixed"), 0, QStringLiteral("Fixed"));
    aMenu.AddItem(25, QStringLiteral("Section"), 0, QStringLiteral("Section"));
    aMenu.AddItem(26, QStringLiteral("Line2"), 0, QStringLiteral("-"));
    aMenu.AddItem(30, QStringLiteral("DrillDown"), 0, QStringLiteral("Drill Down..."));
    aMenu.AddItem(30, QStringLiteral("ExpandAll"), 0, QStringLiteral("Expand All"));
    aMenu.AddItem(30, QStringLiteral("KeepTogether"), 0, QStringLiteral("Keep Together"));
    aMenu.AddItem(30, QStringLiteral("NewPrintJob"), 0, QStringLiteral("New Print Job"));
    aMenu.AddItem(30, QStringLiteral("ParentPrinterSetup"), 0, QStringLiteral("Parent Printer Setup"));
    aMenu.AddItem(30, QStringLiteral("ParentWidth"), 371, QString());
    aMenu.AddItem(30, QStringLiteral("ResetPageNo"), 0, QStringLiteral("Reset Page No"));
    aMenu.AddItem(30, QStringLiteral("TraverseAllData"), 0, QStringLiteral("Traverse All Data"));
}

void TppSubReport::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::UpdatePopupMenu(aMenu);
    const TppPrintBehaviorType behavior = m_printBehavior;
    const bool section = behavior == TppPrintBehaviorType::pbSection;
    for (const auto &[name, kind] :
         {std::pair{"Child", TppPrintBehaviorType::pbChild}, std::pair{"Section", TppPrintBehaviorType::pbSection},
          std::pair{"Fixed", TppPrintBehaviorType::pbFixed}})
        if (IppMenuItem *item = aMenu.ItemByName(QLatin1String(name))) {
            item->SetChecked(behavior == kind);
            item->SetOnClick([this, aKind = kind] { SetPrintBehavior(aKind); });
        }
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("DrillDown"))) {
        item->SetChecked(DrillDownComponent() != nullptr);
        item->SetEnabled(behavior == TppPrintBehaviorType::pbChild);
        item->SetOnClick([this] { ShowDrillDownDialog(); });
    }
    ppEnableItem(aMenu, QStringLiteral("ExpandAll"), DrillDownComponent() != nullptr);
    ppEnableItem(aMenu, QStringLiteral("TraverseAllData"), behavior == TppPrintBehaviorType::pbFixed);
    for (const char *name : {"NewPrintJob", "ParentPrinterSetup", "ResetPageNo"})
        ppEnableItem(aMenu, QLatin1String(name), section);
    ppBindFlagItem(aMenu, QStringLiteral("ParentWidth"), ParentWidth(),
                   [this](bool aValue) { SetParentWidth(aValue); });
    ppEnableItem(aMenu, QStringLiteral("ParentWidth"), !section);
    ppEnableItem(aMenu, QStringLiteral("ShiftRelativeTo"), !Region() && !section);
    ppEnableItem(aMenu, QStringLiteral("KeepTogether"), behavior == TppPrintBehaviorType::pbChild);
}

void TppSubReport::ShowDrillDownDialog()
{
    TppFormHandle<TppCustomDrillDownDialog> dialog(ppCreateForm<TppCustomDrillDownDialog>());
    if (!dialog)
        return;
    const QString none = ppLoadStr(343);
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(m_report);
    dialog->Choices << none;
    if (TppBand *band = Band())
        for (int i = 0; i < band->ObjectCount(); ++i) {
            TppComponent *object = band->Objects(i);
            if (object != this && object->CanPrint())
                dialog->Choices << object->GetDescription();
        }
    dialog->Selection = DrillDownComponent() ? DrillDownComponent()->UserName() : none;
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    IppReportContext *report = TppComponent::Report();
    TppCommunicator *found = nullptr;
    if (dialog->Selection != none && report && report->ReportObject())
        found = report->ReportObject()->FindUserName(dialog->Selection);
    SetDrillDownComponent(dynamic_cast<TppComponent *>(found));
}

} // namespace report
