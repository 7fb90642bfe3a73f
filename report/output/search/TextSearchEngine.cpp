#include "report/output/search/TextSearchEngine.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/production/SearchErrors.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/Highlighter.h"
#include "report/output/search/PageSearch.h"
#include "report/output/search/SearchInfo.h"
#include "report/output/search/TextSearchToolbox.h"

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/richedit/RichEdit.h"

#include <QTextDocument>

#include <algorithm>

namespace report {

namespace {

int textEngineIndexOfPage(const TppPageSearchList &aList, int aPageNo)
{
    for (int i = 0; i < aList.Count(); ++i)
        if (aList.Items(i)->PageNo() == aPageNo)
            return i;
    return -1;
}

} // namespace

// ---- TppTextSearchEngine ----------------------------------------------------------

TppTextSearchEngine::TppTextSearchEngine(classes::TComponent *aOwner)
    : TppCustomSearchEngine(aOwner)
    , m_pageSearchList(std::make_unique<TppPageSearchList>())
{}

TppTextSearchEngine::~TppTextSearchEngine()
{
    BeforeDestruction();
    m_currentInfo = nullptr;
    m_firstInfo = nullptr;
    m_pageSearchList.reset();
}

bool TppTextSearchEngine::Search(const QString &aText)
{
    bool found = false;
    {
        ViewerDeactivation deactivation(*this);
        TppCustomSearchEngine::Search(aText);
        SetSearchText(aText);
        m_currentInfo = nullptr;
        m_firstInfo = nullptr;
        m_pageSearchList->Clear();
        found = ScanPages(aText);
    }
    if (found && Viewer() && FoundPageNo() != Viewer()->AbsolutePageNo())
        Viewer()->GotoPage(FoundPageNo());
    return found;
}

bool TppTextSearchEngine::SearchPage(TppPage *aPage, const QString &aText)
{
    SetSearchText(aText);
    TppCustomSearchEngine::SearchPage(aPage, aText);
    if (!aPage)
        throw ESearchEngineError(
            QStringLiteral("TppSearchEngine.Search: Must pass a non-nil page object from page cache."));
    if (textEngineIndexOfPage(*m_pageSearchList, aPage->AbsolutePageNo()) >= 0)
        return true;
    SetLastPageReached(aPage->LastPage());
    std::unique_ptr<TppPageSearch> pageSearch = searchOnePage(*aPage, aText);
    if (!pageSearch)
        return false;
    m_pageSearchList->Add(pageSearch.release());
    if (HasEventNotify(ppEvent::SearchResultsChanged))
        SendEventNotify(this, ppEvent::SearchResultsChanged, nullptr);
    return true;
}

std::unique_ptr<TppPageSearch> TppTextSearchEngine::searchOnePage(TppPage &aPage, const QString &aText)
{
    std::unique_ptr<TppPageSearch> pageSearch;
    std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
    const std::vector<TppDrawCommand *> &highlights = Highlights();
    const PageWatch watch(*this, &aPage);
    // The window is served between commands only, and the page is looked
    // at again only while it stands as it was.
    for (int i = 0; !Cancelled() && watch.Unchanged() && i < aPage.DrawCommandCount(); ++i) {
        TppDrawCommand *command = aPage.DrawCommands(i);
        // The highlights on the viewer's page repeat what they cover.
        if (!highlights.empty() && std::find(highlights.begin(), highlights.end(), command) != highlights.end())
            continue;
        if (!TppDrawCommandHighlightRegistry::IsRegistered(command->ClassType()))
            continue;
        found.clear();
        BuildDrawTextSearchInfoList(command, i, found, aText);
        if (!found.empty() && !pageSearch) {
            pageSearch = std::make_unique<TppPageSearch>();
            if (HasEventNotify(ppEvent::SearchResultsChanged))
                SendEventNotify(this, ppEvent::SearchResultsChanged, nullptr);
        }
        for (auto &info : found)
            pageSearch->Add(info.release());
        PumpMessages(false);
    }
    if (Cancelled() || !pageSearch || !watch.Unchanged())
        return nullptr;
    pageSearch->SetPageNo(aPage.AbsolutePageNo());
    pageSearch->Sort();
    return pageSearch;
}

void TppTextSearchEngine::BuildDrawTextSearchInfoList(TppDrawCommand *aDrawCommand, int aIndex,
                                                      std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList,
                                                      const QString &aText)
{
    auto *drawText = dynamic_cast<TppDrawText *>(aDrawCommand);
    if (!drawText)
        throw ESearchEngineError(
            QStringLiteral("TppDrawTextSearchEngine.BuildDrawTextSearchInfoList: The draw command is a ") +
            (aDrawCommand ? aDrawCommand->ClassType().ClassName() : QString()) + QStringLiteral(" not a TppDrawText."));
    // Only the lines after the first need the line height: it is measured
    // when such a line holds an occurrence.
    m_lineHeight = -1;
    if (drawText->IsMemo()) {
        const classes::TStringList &lines = *drawText->WrappedText();
        int offset = 0;
        for (int i = 0; i < lines.Count() && !Cancelled(); ++i) {
            const QString line = lines.Get(i);
            FindOccurrencesInLine(drawText, aIndex, aList, offset, i + 1, aText, line);
            offset += int(line.size());
        }
    } else {
        FindOccurrencesInLine(drawText, aIndex, aList, 0, 1, aText, drawText->Text());
    }
    if (m_lineHeight < 0)
        m_lineHeight = 0;
}

void TppTextSearchEngine::FindOccurrencesInLine(TppDrawText *aDrawText, int aIndex,
                                                std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList,
                                                int aCharOffset, int aLineNo, const QString &aText,
                                                const QString &aLine)
{
    const TppTextSearchToolbox &toolbox = TppTextSearchToolboxRegistry::GetToolbox();
    const bool wholeWord = WholeWord();
    const bool caseSensitive = CaseSensitive();
    QString rest = aLine;
    int consumed = 0;
    int occurrence = 0;
    int position = 0;
    while (toolbox.FindText(rest, aText, position, wholeWord, caseSensitive)) {
        ++occurrence;
        // Measured at the shown zoom, the height goes back to page units:
        // a line's top must compare with the tops of the other commands.
        if (aLineNo > 1 && m_lineHeight < 0) {
            const double scale = ScaleY() > 0 ? ScaleY() : 1.0;
            m_lineHeight = ppRound(toolbox.CalculateLineHeight(*aDrawText, Canvas(), scale) / scale);
        }
        auto info = std::make_unique<TppDrawCommandSearchInfo>();
        info->SetDrawCommandIndex(aIndex);
        info->SetOccurrenceNo(occurrence);
        info->SetLineNo(aLineNo);
        info->SetSortTop(aDrawText->Top() + (aLineNo - 1) * std::max(m_lineHeight, 0));
        info->SetSortLeft(aDrawText->Left() + occurrence);
        info->SetTextPosition(aCharOffset + consumed + position);
        aList.push_back(std::move(info));
        const int cut = position - 1 + TppTextSearchToolbox::MatchedLength(rest, position, aText, caseSensitive);
        consumed += cut;
        rest = rest.mid(cut);
        if (Cancelled())
            break;
    }
}

int TppTextSearchEngine::CurrentPageNo() const
{
    return m_pageSearchList->CurrentPageNo();
}

int TppTextSearchEngine::OccurrenceCount() const
{
    return m_pageSearchList->OccurrenceCount();
}

int TppTextSearchEngine::CurrentOccurrenceNo() const
{
    return m_pageSearchList->CurrentOccurrenceNo();
}

bool TppTextSearchEngine::FirstOccurrence()
{
    BeforeMoveBackward();
    m_currentInfo = m_pageSearchList->First();
    if (!m_firstInfo)
        m_firstInfo = m_currentInfo;
    return m_currentInfo != nullptr;
}

bool TppTextSearchEngine::LastOccurrence()
{
    BeforeMoveForward();
    m_currentInfo = m_pageSearchList->Count() > 0 ? m_pageSearchList->Last() : nullptr;
    return m_currentInfo != nullptr;
}

// Past either end there is no occurrence to move to, and the current one
// stays where it was.
bool TppTextSearchEngine::NextOccurrence()
{
    BeforeMoveForward();
    TppDrawCommandSearchInfo *info = m_pageSearchList->Next();
    m_currentInfo = m_pageSearchList->CurrentInfo();
    return info != nullptr;
}

bool TppTextSearchEngine::PriorOccurrence()
{
    BeforeMoveBackward();
    TppDrawCommandSearchInfo *info = m_pageSearchList->Prior();
    m_currentInfo = m_pageSearchList->CurrentInfo();
    return info != nullptr;
}

void TppTextSearchEngine::GotoOccurrencePage(int aPageNo)
{
    if (aPageNo <= CurrentPageNo())
        BeforeMoveBackward();
    else
        BeforeMoveForward();
    m_currentInfo = m_pageSearchList->GotoPage(aPageNo);
}

void TppTextSearchEngine::SetCurrentPage(int aOccurrenceNo)
{
    m_currentInfo = m_pageSearchList->ResetSearchIndex(aOccurrenceNo);
}

void TppTextSearchEngine::HighlightPage(TppPage *aPage)
{
    if (!aPage)
        throw ESearchHighlightError(QStringLiteral(
            "TppSearchPreview.HighlightCurrentDrawCommand: Must have a non nil page object to search within"));
    TppCustomSearchEngine::HighlightPage(aPage);
    if (textEngineIndexOfPage(*m_pageSearchList, aPage->AbsolutePageNo()) >= 0) {
        if (ShowAll()) {
            createEntirePageHighlights(*aPage);
        } else if (m_pageSearchList->CurrentPageNo() == aPage->AbsolutePageNo()) {
            BeforeSingleHighlight();
            createSingleHighlight(aPage);
        }
        HighlightAll(aPage);
    }
    if (Cancelled())
        Reset();
}

void TppTextSearchEngine::createEntirePageHighlights(TppPage &aPage)
{
    // The page's search becomes current; moving there starts at its first
    // occurrence, as an index kept from another page would not fit it.
    if (m_pageSearchList->CurrentPageNo() != aPage.AbsolutePageNo() || m_pageSearchList->CurrentInfoIndex() < 0)
        m_pageSearchList->GotoPage(aPage.AbsolutePageNo());
    TppPageSearch *pageSearch = m_pageSearchList->CurrentPageSearch();
    for (int i = 0; i < pageSearch->Count(); ++i) {
        TppDrawCommandSearchInfo *info = pageSearch->GetDrawCommandForIndex(i);
        if (info->DrawCommandIndex() < 0 || info->DrawCommandIndex() >= aPage.DrawCommandCount())
            throw ESearchEngineError(QStringLiteral("TppTextSearchEngine.CreateEntirePageHighlights: The draw "
                                                    "command info list is out of sync with the current viewer's "
                                                    "page."));
        CreateHighlightDrawCommand(aPage.DrawCommands(info->DrawCommandIndex()), info);
    }
    m_currentInfo = m_pageSearchList->CurrentInfo();
}

void TppTextSearchEngine::createSingleHighlight(TppPage *aPage)
{
    if (!aPage)
        throw ESearchEngineError(QStringLiteral("TppTextSearchEngine.CreateSingleHighlight: aPage parameter is nil."));
    if (!m_currentInfo)
        throw ESearchEngineError(
            QStringLiteral("TppTextSearchEngine.CreateSingleHighlight: ") +
            QStringLiteral("Current draw command info is nil.  The search engine is trying to highlight a draw "
                           "command which should not in the highlight draw command list.") +
            QStringLiteral("The list needs to be reset for this page and the page needs to be researched and "
                           "highlighted"));
    if (m_currentInfo->DrawCommandIndex() == -1)
        throw ESearchEngineError(QStringLiteral(
            "TppTextSearchEngine.CreateSingleHighlight: DrawCommandSearchInfo.DrawCommandIndex is not assigned."));
    if (m_currentInfo->DrawCommandIndex() >= aPage->DrawCommandCount())
        throw ESearchEngineError(QStringLiteral("TppTextSearchEngine.CreateEntirePageHighlights: The draw command "
                                                "info list is out of sync with the current viewer's page."));
    m_singleHighlight =
        CreateHighlightDrawCommand(aPage->DrawCommands(m_currentInfo->DrawCommandIndex()), m_currentInfo);
}

void TppTextSearchEngine::Reset()
{
    TppCustomSearchEngine::Reset();
    m_currentInfo = nullptr;
    m_firstInfo = nullptr;
    m_singleHighlight = nullptr;
    m_pageSearchList->Clear();
    SetLastPageReached(false);
    SetSearchText(QString());
    SetFoundPageNo(-1);
    m_lineHeight = 0;
}

void TppTextSearchEngine::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomSearchEngine::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator && aCommunicator == m_singleHighlight)
        m_singleHighlight = nullptr;
}

// ---- TppRichTextSearchEngine ------------------------------------------------------

TppRichTextSearchEngine::TppRichTextSearchEngine(classes::TComponent *aOwner)
    : TppTextSearchEngine(aOwner)
{}

TppRichTextSearchEngine::~TppRichTextSearchEngine() = default;

richedit::RichEdit &TppRichTextSearchEngine::ScratchRichEdit()
{
    if (!m_richEdit) {
        m_richEdit = std::make_unique<richedit::RichEdit>();
        QObject::connect(&m_richEdit->Document(), &QTextDocument::contentsChanged, [this] { m_scratchRtf.clear(); });
    }
    return *m_richEdit;
}

void TppRichTextSearchEngine::BuildDrawTextSearchInfoList(TppDrawCommand *aDrawCommand, int aIndex,
                                                          std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList,
                                                          const QString &aText)
{
    if (dynamic_cast<TppDrawText *>(aDrawCommand)) {
        TppTextSearchEngine::BuildDrawTextSearchInfoList(aDrawCommand, aIndex, aList, aText);
        return;
    }
    auto *richText = dynamic_cast<TppDrawRichText *>(aDrawCommand);
    if (!richText || aText.isEmpty() || richText->StartCharPos() < 0 ||
        richText->EndCharPos() - richText->StartCharPos() <= 1)
        return;
    richedit::RichEdit &edit = ScratchRichEdit();
    // The pages of one long text share its RTF: it is read once for all of
    // them, not once a page, and no page is given a copy of its own.
    const QByteArray rtf = richText->RichTextBytes();
    if (rtf.isEmpty() || rtf.constData() != m_scratchRtf.constData() || rtf.size() != m_scratchRtf.size()) {
        edit.LoadFromBytes(rtf);
        m_scratchRtf = rtf;
    }
    int options = 0;
    if (WholeWord())
        options |= int(richedit::FindOption::WholeWord);
    if (CaseSensitive())
        options |= int(richedit::FindOption::MatchCase);
    const TppTextSearchToolbox &toolbox = TppTextSearchToolboxRegistry::GetToolbox();
    const size_t first = aList.size();
    int start = richText->StartCharPos();
    int count = 0;
    while (!Cancelled() && start < richText->EndCharPos()) {
        const int found = toolbox.RichEditFindText(edit, aText, start, richText->EndCharPos() - start, options);
        if (found < 0)
            break;
        auto info = std::make_unique<TppDrawCommandSearchInfo>();
        info->SetDrawCommandIndex(aIndex);
        info->SetLineNo(0);
        info->SetOccurrenceNo(count);
        info->SetTextPosition(found);
        info->SetSortTop(richText->Top());
        info->SetSortLeft(richText->Left() + count);
        aList.push_back(std::move(info));
        ++count;
        start = found + int(aText.size());
    }
    // One top for the whole command would sort all its hits before the
    // texts beside it: spread them down its height.
    if (count >= 2) {
        const int step = richText->Height() / count;
        for (int i = 0; i < count; ++i)
            aList[first + i]->SetSortTop(richText->Top() + i * step);
    }
}

void TppRichTextSearchEngine::restoreRichText(TppDrawCommandSearchInfo *aInfo)
{
    TppViewer *viewer = Viewer();
    TppPage *page = viewer ? viewer->CurrentPage() : nullptr;
    if (!aInfo || !page || aInfo->BackgroundColor() == rtl::TColor(-1) || aInfo->DrawCommandIndex() < 0 ||
        aInfo->DrawCommandIndex() >= page->DrawCommandCount())
        return;
    TppDrawCommand *command = page->DrawCommands(aInfo->DrawCommandIndex());
    if (!dynamic_cast<TppDrawRichText *>(command))
        return;
    TppDrawCommandHighlightRegistry::GetHighlighter(command)->RemoveHighlight(command, aInfo, SearchText());
    command->Draw(DrawingDevice());
}

void TppRichTextSearchEngine::ClearHighlights()
{
    TppTextSearchEngine::ClearHighlights();
    TppPageSearchList *list = PageSearchList();
    TppViewer *viewer = Viewer();
    if (!list || !viewer || !viewer->CurrentPage() || list->CurrentPageNo() != viewer->CurrentPage()->AbsolutePageNo())
        return;
    if (ShowAll()) {
        TppPageSearch *pageSearch = list->CurrentPageSearch();
        for (int i = 0; pageSearch && i < pageSearch->Count(); ++i)
            restoreRichText(pageSearch->GetDrawCommandForIndex(i));
    } else {
        restoreRichText(list->CurrentInfo());
    }
}

void TppRichTextSearchEngine::restoreCurrentRichText()
{
    if (!ShowAll())
        restoreRichText(CurrentInfo());
}

void TppRichTextSearchEngine::BeforeMoveBackward()
{
    restoreCurrentRichText();
}

void TppRichTextSearchEngine::BeforeMoveForward()
{
    restoreCurrentRichText();
}

} // namespace report
