// The bar code's menu items in a designer; its flags are published
// properties, which the menu shows and toggles itself.

#include "report/content/barcodes/BarCode.h"

namespace report {

void TppCustomBarCode::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoSize"), 226, QString());
    aMenu.AddItem(30, QStringLiteral("AutoSizeFont"), 441, QString());
    aMenu.AddItem(30, QStringLiteral("PrintHumanReadable"), 442, QString());
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

} // namespace report
