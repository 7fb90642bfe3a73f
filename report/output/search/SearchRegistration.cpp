#include "report/output/search/SearchRegistration.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/output/search/Highlighter.h"
#include "report/output/search/SearchEngineRegistry.h"
#include "report/output/search/TextHighlighters.h"
#include "report/output/search/TextSearchEngine.h"
#include "report/output/search/TextSearchToolbox.h"

namespace report {

void ppRegisterTextSearch()
{
    // "Standard Search" stays unregistered: "Full Search" finds all it
    // finds and rich text besides.
    TppSearchEngineRegistry::Register(&ppSearchEngineClass<TppRichTextSearchEngine>());
    TppDrawCommandHighlightRegistry::Register(TppDrawText::StaticClass(),
                                              ppHighlighterClass<TppDrawTextSelectionHighlighter>());
    TppDrawCommandHighlightRegistry::Register(TppDrawRichText::StaticClass(),
                                              ppHighlighterClass<TppDrawRichTextHighlighter>());
    TppTextSearchToolboxRegistry::Register<TppTextSearchToolbox>();
}

void ppUnRegisterTextSearch()
{
    TppTextSearchToolboxRegistry::UnRegister();
    TppDrawCommandHighlightRegistry::UnRegister(TppDrawRichText::StaticClass(),
                                                ppHighlighterClass<TppDrawRichTextHighlighter>());
    TppDrawCommandHighlightRegistry::UnRegister(TppDrawText::StaticClass(),
                                                ppHighlighterClass<TppDrawTextSelectionHighlighter>());
    TppSearchEngineRegistry::UnRegister(&ppSearchEngineClass<TppRichTextSearchEngine>());
}

} // namespace report
