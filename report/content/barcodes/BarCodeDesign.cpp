// The bar code's menu items in a designer: its flags are published
// properties, which the menu shows and toggles itself; Configure opens the
// registered dialog.

#include "report/content/barcodes/BarCode.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

namespace report {

void TppCustomBarCode::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoSize"), 226, QString());
    aMenu.AddItem(30, QStringLiteral("AutoSizeFont"), 441, QString());
    aMenu.AddItem(30, QStringLiteral("Configure"), 443, QString());
    aMenu.AddItem(30, QStringLiteral("PrintHumanReadable"), 442, QString());
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

void TppCustomBarCode::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::UpdatePopupMenu(aMenu);
    ppBindItem(aMenu, QStringLiteral("Configure"), [this] { ShowConfigureDialog(); });
}

void TppCustomBarCode::ShowConfigureDialog()
{
    if (!Band() || !Band()->Report())
        return;
    TppFormHandle<TppCustomBarCodeDialog> dialog(ppCreateForm<TppCustomBarCodeDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Band()->Report()->ReportObject());
    dialog->BarCodeType = int32_t(BarCodeType());
    dialog->Orientation = int32_t(Orientation());
    dialog->BarWidth = BarWidth();
    dialog->WideBarRatio = WideBarRatio();
    dialog->AddOnCode = AddOnCode();
    dialog->BearerBars = BearerBars();
    dialog->CalcCheckDigit = CalcCheckDigit();
    dialog->AutoEncode = AutoEncode();
    dialog->OnApply = [this](TppCustomBarCodeDialog &aDialog) {
        BeginUpdate();
        SetCalcCheckDigit(aDialog.CalcCheckDigit);
        // Numbers past the declared kinds are passed over, as a stream's are.
        if (aDialog.BarCodeType >= 0 && aDialog.BarCodeType <= int32_t(TppBarCodeType::bcMSI))
            SetBarCodeType(TppBarCodeType(aDialog.BarCodeType));
        if (aDialog.Orientation >= 0 && aDialog.Orientation <= int32_t(TppBarCodeOrientation::orBottomToTop))
            SetOrientation(TppBarCodeOrientation(aDialog.Orientation));
        SetBarWidth(aDialog.BarWidth);
        SetWideBarRatio(aDialog.WideBarRatio);
        SetAddOnCode(aDialog.AddOnCode);
        SetBearerBars(aDialog.BearerBars);
        SetAutoEncode(aDialog.AutoEncode);
        EndUpdate();
    };
    if (dialog->ShowModal() == ppModalResultOK)
        dialog->Apply();
}

} // namespace report
