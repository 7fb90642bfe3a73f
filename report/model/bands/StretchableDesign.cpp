// The stretching object's side in a designer: its menu items, its shift
// dialog and the offsets in its position dialog.

#include "report/model/bands/Band.h"
#include "report/model/bands/Stretchable.h"
#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

namespace report {

void TppStretchable::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppComponent::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftRelativeTo"), 0, QStringLiteral("Shift Relative To..."));
    aMenu.AddItem(30, QStringLiteral("Stretch"), 243, QString());
}

void TppStretchable::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppComponent::UpdatePopupMenu(aMenu);
    const bool shifts = ShiftRelativeTo() != nullptr;
    ppBindFlagItem(aMenu, QStringLiteral("ReprintOnOverFlow"), ReprintOnOverFlow(),
                   [this](bool aValue) { SetReprintOnOverFlow(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ShiftWithParent"), ShiftWithParent(),
                   [this](bool aValue) { SetShiftWithParent(aValue); });
    ppEnableItem(aMenu, QStringLiteral("ReprintOnOverFlow"), !shifts && !Stretch());
    ppEnableItem(aMenu, QStringLiteral("ShiftWithParent"), !shifts && !Stretch());
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("ShiftRelativeTo"))) {
        item->SetChecked(shifts);
        item->SetEnabled(!Region());
        item->SetOnClick([this] { ShowShiftDialog(); });
    }
    ppBindFlagItem(aMenu, QStringLiteral("Stretch"), Stretch(), [this](bool aValue) { SetStretch(aValue); });
}

void TppStretchable::ShowShiftDialog()
{
    TppFormHandle<TppCustomShiftDialog> dialog(ppCreateForm<TppCustomShiftDialog>());
    if (!dialog)
        return;
    const QString none = ppLoadStr(343);
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    dialog->Choices = ppGetShiftRelativeToTargets(*this, true);
    dialog->Choices.prepend(none);
    dialog->Selection = ShiftRelativeTo() ? ShiftRelativeTo()->UserName() : none;
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    // Only a target the list offered; anything else means none.
    TppStretchable *target = nullptr;
    if (dialog->Selection != none && Band())
        for (int i = 0; i < Band()->ObjectCount() && !target; ++i) {
            auto *candidate = dynamic_cast<TppStretchable *>(Band()->Objects(i));
            if (candidate && candidate != this && candidate->UserName() == dialog->Selection &&
                CanShiftRelativeTo(this, candidate))
                target = candidate;
        }
    SetShiftRelativeTo(target);
}

TppCustomPositionDialog *TppStretchable::CreatePositionDialog()
{
    TppCustomPositionDialog *dialog = TppComponent::CreatePositionDialog();
    if (!dialog)
        return nullptr;
    const TppUnitType units = dialog->Units;
    dialog->HasOffsets = true;
    dialog->BottomOffset = FromMMThousandths(m_mmBottomOffset, units, TppAxisType::atVertical);
    dialog->OverFlowOffset = FromMMThousandths(m_mmOverFlowOffset, units, TppAxisType::atVertical);
    dialog->StopPosition = FromMMThousandths(m_mmStopPosition, units, TppAxisType::atVertical);
    return dialog;
}

void TppStretchable::ApplyPositionDialog(TppCustomForm &aDialog)
{
    TppComponent::ApplyPositionDialog(aDialog);
    auto *dialog = dynamic_cast<TppCustomPositionDialog *>(&aDialog);
    if (!dialog || !dialog->HasOffsets)
        return;
    const TppUnitType units = dialog->Units;
    SetmmBottomOffset(ToMMThousandths(dialog->BottomOffset, units, TppAxisType::atVertical));
    SetmmOverFlowOffset(ToMMThousandths(dialog->OverFlowOffset, units, TppAxisType::atVertical));
    SetmmStopPosition(ToMMThousandths(dialog->StopPosition, units, TppAxisType::atVertical));
}

} // namespace report
