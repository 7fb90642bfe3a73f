#pragma once

// The search engines the preview offers. "Standard Search" finds the text
// in the plain-text draw commands of each page, line by line; "Full Search"
// also looks inside rich text. Both keep what they found per page and step
// through it in reading order.

#include "report/output/search/CustomSearchEngine.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace richedit {
class RichEdit;
}

namespace report {

class TppDrawText;
class TppPageSearch;
class TppPageSearchList;

class TppTextSearchEngine : public TppCustomSearchEngine
{
public:
    explicit TppTextSearchEngine(classes::TComponent *aOwner = nullptr);
    ~TppTextSearchEngine() override;

    static QString ClassName() { return QStringLiteral("TppTextSearchEngine"); }
    static QString EngineName() { return QStringLiteral("Standard Search"); }

    int CurrentPageNo() const override;
    int OccurrenceCount() const override;
    int CurrentOccurrenceNo() const override;
    int GetFoundPageNo() const override { return FoundPageNo(); }
    bool FirstOccurrence() override;
    bool LastOccurrence() override;
    bool NextOccurrence() override;
    bool PriorOccurrence() override;
    void GotoOccurrencePage(int aPageNo) override;
    void SetCurrentPage(int aOccurrenceNo) override;
    void HighlightPage(TppPage *aPage) override;
    bool Search(const QString &aText) override;
    bool SearchPage(TppPage *aPage, const QString &aText) override;
    void Reset() override;

    virtual void BeforeSingleHighlight() {}
    virtual void BeforeMoveBackward() {}
    virtual void BeforeMoveForward() {}
    // The occurrences in one draw command, appended to aList (owned by the
    // caller until they move into a page search).
    virtual void BuildDrawTextSearchInfoList(TppDrawCommand *aDrawCommand, int aIndex,
                                             std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList,
                                             const QString &aText);
    virtual void FindOccurrencesInLine(TppDrawText *aDrawText, int aIndex,
                                       std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList, int aCharOffset,
                                       int aLineNo, const QString &aText, const QString &aLine);

    TppPageSearchList *PageSearchList() const { return m_pageSearchList.get(); }
    TppDrawCommandSearchInfo *CurrentInfo() const { return m_currentInfo; }
    TppDrawCommandSearchInfo *FirstInfo() const { return m_firstInfo; }
    TppDrawCommand *SingleHighlight() const { return m_singleHighlight; }
    int LineHeight() const { return m_lineHeight; }

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

protected:
    void SetCurrentInfo(TppDrawCommandSearchInfo *aInfo) { m_currentInfo = aInfo; }

private:
    std::unique_ptr<TppPageSearch> searchOnePage(TppPage &aPage, const QString &aText);
    void createEntirePageHighlights(TppPage &aPage);
    void createSingleHighlight(TppPage *aPage);

    int m_lineHeight = 0;
    TppDrawCommandSearchInfo *m_currentInfo = nullptr;
    TppDrawCommandSearchInfo *m_firstInfo = nullptr;
    TppDrawCommand *m_singleHighlight = nullptr;
    std::unique_ptr<TppPageSearchList> m_pageSearchList;
};

class TppRichTextSearchEngine : public TppTextSearchEngine
{
public:
    explicit TppRichTextSearchEngine(classes::TComponent *aOwner = nullptr);
    ~TppRichTextSearchEngine() override;

    static QString ClassName() { return QStringLiteral("TppRichTextSearchEngine"); }
    static QString EngineName() { return QStringLiteral("Full Search"); }

    void BuildDrawTextSearchInfoList(TppDrawCommand *aDrawCommand, int aIndex,
                                     std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> &aList,
                                     const QString &aText) override;
    void ClearHighlights() override;
    void BeforeMoveBackward() override;
    void BeforeMoveForward() override;

    richedit::RichEdit &ScratchRichEdit();

private:
    // Gives the current rich-text occurrence its own colours back.
    void restoreCurrentRichText();
    void restoreRichText(TppDrawCommandSearchInfo *aInfo);

    // The RTF the scratch edit holds, while nothing changed it since;
    // declared first, so that it outlives the edit whose changes clear it.
    QByteArray m_scratchRtf;
    std::unique_ptr<richedit::RichEdit> m_richEdit;
};

} // namespace report
