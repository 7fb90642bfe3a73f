// The rich text's menu item in a designer; MailMerge is a published
// property, which the menu shows and toggles itself.

#include "report/content/richtext/RichText.h"

namespace report {

void TppRichText::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomRichText::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("MailMerge"), 502, QString());
}

} // namespace report
