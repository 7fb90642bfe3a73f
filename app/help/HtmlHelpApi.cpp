#include "app/help/HtmlHelpApi.h"

#include "platform/help/HtmlHelp.h"

namespace app {

bool LoadHtmlHelp()
{
    // The viewer lives in the program itself, so binding it is only asking
    // whether it can run here (a GUI application exists).
    return help::htmlHelpAvailable();
}

bool HtmlHelpAvailable()
{
    return LoadHtmlHelp();
}

} // namespace app
