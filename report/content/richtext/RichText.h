#pragma once

// Rich text controls: formatted text that measures itself, stretches over
// pages and, in TppRichText, merges "<field>" tags with the report's data.
// TppCustomRichText keeps the RTF and a rich edit loaded from it, measures
// the part of the text each page takes through TppRTFEngine and hands the
// page its range of characters on a TppDrawRichText. TppDBRichText reads
// its RTF (or plain text) from a field or from OnGetRichText.

#include "report/content/text/CustomText.h"
#include "report/model/bands/Stretchable.h"

#include "platform/rtl/Colors.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace richedit {
class RichEdit;
}

namespace classes {
class TStream;
class TMemoryStream;
} // namespace classes

namespace report {

struct RichTextCacheRecord;
struct TppRichTextSource;
class TParaAttributes;
class TTextAttributes;

class TppCustomRichText : public TppStretchable
{
    ZVO_CLASS(TppCustomRichText)
public:
    explicit TppCustomRichText(classes::TComponent *aOwner = nullptr);
    ~TppCustomRichText() override;

    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

    // ---- Text ----
    // The RTF as the control keeps it; '' when it holds none.
    virtual QString RichText() const;
    // RTF, or plain text, which the rich edit loads.
    virtual void SetRichText(const QString &aValue);
    virtual QByteArray RichTextBytes() const;
    // The kept RTF as a stream, for scripts; data rich text loads it first.
    classes::TMemoryStream *RichTextStream();
    void LoadFromRTFStream(classes::TStream &aStream);
    void SaveToRTFStream(classes::TStream &aStream);
    bool LoadFromFile(const QString &aFileName);
    bool SaveToFile(const QString &aFileName);
    QString PlainText() const;
    richedit::RichEdit &RichEdit() const { return *m_richEdit; }
    // The selection's character format and the paragraph format as objects
    // of the control, for scripts.
    TTextAttributes *SelAttributes();
    TParaAttributes *Paragraph();
    // The rich edit was changed in place (its selection's text or format):
    // its text becomes the kept RTF, so that the change is stored too.
    void RichEditChanged();
    int FindText(const QString &aSearchStr, int aStartPos, int aLength, bool aWholeWord, bool aMatchCase) const;

    // ---- Generation state ----
    // The part printed on the current page, -1 when none.
    int StartCharPos() const { return m_startCharPos; }
    int EndCharPos() const { return m_endCharPos; }
    // Moved whole to the next page to keep it together.
    bool MovedWhole() const { return m_movedWhole; }

    // ---- Generation ----
    void Init() override;
    void Reset() override;
    void Generate() override;
    void CalcSpaceUsed() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    // ---- Designer ----
    void PaintDesignControl(gfx::Canvas &aCanvas) override;

protected:
    // Data rich text loads its text here; marked for reload after each page.
    virtual void Reload();
    virtual bool MailMergeActive() const { return false; }
    // With mail merge: the text copied into the merge edit and its tags
    // replaced by the report's data.
    void MailMergeCopy();
    // The edit a page prints: the merge edit under mail merge.
    richedit::RichEdit &printEdit() const;
    void loadBytes(const QByteArray &aBytes);
    static QByteArray bytesOneForOne(const QString &aValue);
    void loadText(const QString &aValue);
    // The text of the record the page prints, merged; false when a handler
    // freed the control meanwhile.
    bool loadForPage();
    // The whole text on this page, none left for the next.
    void printWhole();
    bool continuing() const { return m_nextStart >= 0; }
    // Going on with the text already held: true only while that text came
    // from the record the page goes on with. A page made again from the
    // cache restores the position in the text, but the edits may still hold
    // the last record generated, another one.
    bool keepsHeldText() const { return continuing() && !m_heldTextStale; }
    virtual void afterChange();

private:
    // The page's state as the cache keeps it.
    RichTextCacheRecord cacheState() const;
    void watchPrintEdit(richedit::RichEdit &aEdit);

    // The printed RTF, shared by the pages of one text until its edit
    // changes. Declared before the edits, whose changes clear it, so that it
    // outlives them.
    std::shared_ptr<TppRichTextSource> m_printSource;
    std::unique_ptr<richedit::RichEdit> m_richEdit;
    std::unique_ptr<richedit::RichEdit> m_mergeEdit;
    std::unique_ptr<classes::TMemoryStream> m_rtfStream;
    std::unique_ptr<TTextAttributes> m_selAttributes;
    std::unique_ptr<TParaAttributes> m_paragraph;
    QByteArray m_rtf;
    int m_startCharPos = -1;
    int m_endCharPos = -1;
    // Where the next page goes on; -1: from the start.
    int m_nextStart = -1;
    bool m_movedWhole = false;
    bool m_reload = false;
    // Counts the loads and merges of a record's text, so that a page's
    // cache record tells whether the text it went on with is still held.
    uint32_t m_heldTextLoad = 0;
    bool m_heldTextStale = false;
};

class TppRichText : public TppCustomRichText
{
    ZVO_CLASS(TppRichText)
public:
    explicit TppRichText(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The text in the registered RTF editor; an accepted edit is loaded back.
    void ShowEditor();

    bool MailMerge() const { return m_mailMerge; }
    void SetMailMerge(bool aValue);
    // The property as templates store it: the RTF's bytes one for one.
    QString StoredRichText() const;
    void SetStoredRichText(const QString &aValue);

protected:
    bool MailMergeActive() const override { return m_mailMerge; }

private:
    bool m_mailMerge = false;
};

class TppDBRichText : public TppCustomRichText
{
    ZVO_CLASS(TppDBRichText)
public:
    explicit TppDBRichText(classes::TComponent *aOwner = nullptr);

    bool IsDataAware() const override { return true; }
    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool aValue);
    TppGetTextEvent OnGetRichText;
    QString GetDescription() const override;

protected:
    void Reload() override;

private:
    bool m_autoDisplay = true;
};

// Tags of "<name>" in the edit replaced by the values of the pipeline's
// fields, looked up by field name, then by alias. Answers the number of
// tags replaced.
class TppDataPipeline;
int ppMailMerge(richedit::RichEdit &aEdit, TppDataPipeline &aPipeline);

} // namespace report
