// The component's side in a designer: where its design control stands on
// the band, the menu of its class and the position dialog.

#include "report/model/bands/Band.h"
#include "report/model/bands/Component.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

#include <algorithm>

namespace report {

void TppComponent::setDesignAnchors(uint8_t aAnchors, bool aSet)
{
    IppDesignControl *control = DesignControl();
    if (!control)
        return;
    control->SetAnchors(aSet ? uint8_t(control->Anchors() | aAnchors) : uint8_t(control->Anchors() & ~aAnchors));
}

void TppComponent::CreateDesignControl()
{
    if (DesignControl())
        return;
    TppPrintable::CreateDesignControl();
    IppDesignControl *control = DesignControl();
    if (!control)
        return;
    setDesignAnchors(ppAnchor::LeftRight, ParentWidth());
    setDesignAnchors(ppAnchor::TopBottom, ParentHeight());
    IppReportContext *report = Report();
    IppPopupMenu *menu =
        report ? report->PopupMenuOf(ClassName(), false, [this](IppPopupMenu &aMenu) { BuildPopupMenu(aMenu); })
               : nullptr;
    // The menu serves every object of the class: bound as it pops up.
    ppBindPopupMenu(*control, menu, this, [this](IppPopupMenu &aMenu) { UpdatePopupMenu(aMenu); });
}

void TppComponent::PositionDesignControl()
{
    IppDesignControl *control = DesignControl();
    if (!InDesignState() || ReportPrinting() || !m_band || !control)
        return;
    const rtl::TRect client = GetSpClientRect();
    int width = client.Right - client.Left;
    int height = client.Bottom - client.Top;
    control->SetDesignVisible(width > 0 && height > 0);
    // Cut by its region, the control keeps clear of the region's frame.
    if (m_region && (width < spWidth() || height < spHeight())) {
        width = std::max(width - 3, 0);
        height = std::max(height - 3, 0);
    }
    const int left = spLeft();
    const int top = spTop() + m_band->DesignOffset();
    control->SetDesignBounds({left, top, left + std::max(width, 0), top + std::max(height, 0)});
    m_band->RecordDesignPosition(this);
}

rtl::TRect TppComponent::GetSpClientRect() const
{
    int width = spWidth();
    int height = spHeight();
    if (m_region) {
        const int64_t regionRight = int64_t(m_region->spLeft()) + m_region->spWidth();
        const int64_t regionBottom = int64_t(m_region->spTop()) + m_region->spHeight();
        width = int(std::clamp<int64_t>(std::min<int64_t>(int64_t(spLeft()) + width, regionRight) - spLeft(), 0,
                                        std::max(width, 0)));
        height = int(std::clamp<int64_t>(std::min<int64_t>(int64_t(spTop()) + height, regionBottom) - spTop(), 0,
                                         std::max(height, 0)));
    }
    return {0, 0, width, height};
}

void TppComponent::BuildPopupMenu(IppPopupMenu &aMenu)
{
    aMenu.AddItem(10, QStringLiteral("BringToFront"), 161, QString());
    aMenu.AddItem(10, QStringLiteral("SendToBack"), 177, QString());
    aMenu.AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-"));
    aMenu.AddItem(30, QStringLiteral("Position"), 386, QString());
    aMenu.AddItem(30, QStringLiteral("Visible"), 247, QString());
}

void TppComponent::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("BringToFront")))
        item->SetOnClick([this] { BringToFront(); });
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("SendToBack")))
        item->SetOnClick([this] { SendToBack(); });
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("Position")))
        item->SetOnClick([this] { ShowPositionDialog(); });
}

TppCustomPositionDialog *TppComponent::CreatePositionDialog()
{
    auto *dialog = ppCreateForm<TppCustomPositionDialog>();
    if (!dialog)
        return nullptr;
    IppReportContext *report = Report();
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(report ? report->ReportObject() : nullptr);
    dialog->Component = this;
    dialog->Units = report ? report->Units() : Units();
    dialog->OnApply = [this](TppCustomPositionDialog &aDialog) { ApplyPositionDialog(aDialog); };
    dialog->Left = FromMMThousandths(mmLeft(), dialog->Units, TppAxisType::atHorizontal);
    dialog->Top = FromMMThousandths(mmTop(), dialog->Units, TppAxisType::atVertical);
    dialog->Width = FromMMThousandths(mmWidth(), dialog->Units, TppAxisType::atHorizontal);
    dialog->Height = FromMMThousandths(mmHeight(), dialog->Units, TppAxisType::atVertical);
    dialog->ParentWidth = ParentWidth();
    dialog->ParentHeight = ParentHeight();
    return dialog;
}

void TppComponent::ApplyPositionDialog(TppCustomForm &aDialog)
{
    auto *dialog = dynamic_cast<TppCustomPositionDialog *>(&aDialog);
    if (!dialog)
        return;
    const TppUnitType units = dialog->Units;
    SetBounds(ToMMThousandths(dialog->Left, units, TppAxisType::atHorizontal),
              ToMMThousandths(dialog->Top, units, TppAxisType::atVertical),
              ToMMThousandths(dialog->Width, units, TppAxisType::atHorizontal),
              ToMMThousandths(dialog->Height, units, TppAxisType::atVertical));
}

void TppComponent::ShowPositionDialog()
{
    TppFormHandle<TppCustomPositionDialog> dialog(CreatePositionDialog());
    if (!dialog)
        return;
    dialog->ShowModal();
    // The object may have gone while the dialog was up; the dialog must not
    // apply to it afterwards.
    dialog->OnApply = nullptr;
}

} // namespace report
