// The menu items variables and calculations offer in a designer, and their
// format, calculation and timing dialogs.

#include "report/content/variables/CustomVariable.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/Variable.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/reports/CustomReport.h"

#include <algorithm>

namespace report {

void TppCustomVariable::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomText::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("DisplayFormat"), 230, QString());
    aMenu.AddItem(30, QStringLiteral("LookAhead"), 1131, QString());
}

void TppCustomVariable::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomText::UpdatePopupMenu(aMenu);
    ppBindItem(aMenu, QStringLiteral("DisplayFormat"), [this] { ShowFormatDialog(int(DataType())); });
    ppBindFlagItem(aMenu, QStringLiteral("LookAhead"), LookAhead(), [this](bool aValue) { SetLookAhead(aValue); });
}

void TppVariable::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomVariable::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Calculations"), 228, QString());
    aMenu.AddItem(30, QStringLiteral("Timing"), 689, QString());
}

void TppVariable::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomVariable::UpdatePopupMenu(aMenu);
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("Calculations"))) {
        item->SetVisible(ppGetFormClass(TppCustomCalcDialog::StaticClass()) != nullptr);
        item->SetOnClick([this] { ShowCalcDialog(); });
    }
    ppBindItem(aMenu, QStringLiteral("Timing"), [this] { ShowTimingDialog(); });
}

void TppVariable::ShowCalcDialog()
{
    TppFormHandle<TppCustomCalcDialog> dialog(ppCreateForm<TppCustomCalcDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    dialog->ShowModal();
}

void TppVariable::ShowTimingDialog()
{
    TppFormHandle<TppCustomCalcTimingDialog> dialog(ppCreateForm<TppCustomCalcTimingDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    dialog->CalcType = int32_t(CalcType());
    dialog->CalcComponent = CalcComponent();
    dialog->ResetType = int32_t(ResetType());
    dialog->ResetComponent = ResetComponent();
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    // Kinds outside the list are passed over, as a stream's would be.
    const auto usable = [](int32_t aType) {
        return aType >= 0 && aType <= int32_t(TppVarEventType::veGroupBeforeFooter);
    };
    if (usable(dialog->CalcType))
        SetCalcType(TppVarEventType(dialog->CalcType));
    SetCalcComponent(dynamic_cast<TppCommunicator *>(dialog->CalcComponent));
    if (usable(dialog->ResetType))
        SetResetType(TppVarEventType(dialog->ResetType));
    SetResetComponent(dynamic_cast<TppCommunicator *>(dialog->ResetComponent));
}

void TppDBCalc::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppDBText::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Calculations"), 228, QString());
    aMenu.AddItem(30, QStringLiteral("LookAhead"), 1131, QString());
}

void TppDBCalc::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppDBText::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("LookAhead"), LookAhead(), [this](bool aValue) { SetLookAhead(aValue); });
    ppBindItem(aMenu, QStringLiteral("Calculations"), [this] { ShowCalculationsDialog(); });
}

void TppDBCalc::ShowCalculationsDialog()
{
    TppFormHandle<TppCustomDBCalcDialog> dialog(ppCreateForm<TppCustomDBCalcDialog>());
    if (!dialog)
        return;
    IppReportContext *report = Report();
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(report ? report->ReportObject() : nullptr);
    std::vector<TppDataPipeline *> pipelines;
    if (auto *custom = dynamic_cast<const TppCustomReport *>(report ? report->ReportObject() : nullptr))
        custom->GetDataPipelines(pipelines);
    else if (report && report->DataPipeline())
        pipelines.push_back(report->DataPipeline());
    dialog->DataPipelines.assign(pipelines.begin(), pipelines.end());
    dialog->DataPipeline = DataPipeline();
    dialog->DataField = DataField();
    dialog->DBCalcType = int32_t(DBCalcType());
    offerResetGroups(*dialog);
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    // Only what the dialog was offered: a pipeline of another report, or a
    // kind past the five, would leave the calculation reading nothing sane.
    const auto offered = std::find_if(pipelines.begin(), pipelines.end(), [&dialog](TppDataPipeline *aPipeline) {
        return static_cast<classes::TObject *>(aPipeline) == dialog->DataPipeline;
    });
    if (!dialog->DataPipeline)
        SetDataPipeline(nullptr);
    else if (offered != pipelines.end())
        SetDataPipeline(*offered);
    SetDataField(dialog->DataField);
    if (dialog->DBCalcType >= 0 && dialog->DBCalcType <= int32_t(TppDBCalcType::dcAverage))
        SetDBCalcType(TppDBCalcType(dialog->DBCalcType));
    takeResetGroup(*dialog);
}

} // namespace report
