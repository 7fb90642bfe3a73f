#pragma once

// The memos: multi-line plain text that wraps into the control's width with
// tab stops, leading and justification, and, when it stretches, fills the
// page down to its bottom and carries on where it stopped on the next one.
// TppMemo prints the lines it is given, TppDBMemo a field of a pipeline (or
// what its OnGetMemo handler supplies).

#include "report/model/bands/Stretchable.h"
#include "report/model/data/PageValues.h"

#include "platform/classes/StringList.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace classes {
class TMemoryStream;
}

namespace report {

class TppCustomPrinter;

using TppMemoEvent = classes::TEvent<void(classes::TObject *Sender, classes::TStrings *Lines)>;

class TppCustomMemo : public TppStretchable
{
    ZVO_CLASS(TppCustomMemo)
public:
    explicit TppCustomMemo(classes::TComponent *aOwner = nullptr);
    ~TppCustomMemo() override;

    // ---- Text ----
    // The lines after RefreshText.
    virtual classes::TStrings *GetLines();
    // Takes a copy of the strings, then RefreshText.
    virtual void SetLines(const classes::TStrings *aLines);
    // The lines' text (each line and CR LF, UTF-8) after RefreshText.
    virtual classes::TMemoryStream *GetMemoStream();
    // The wrapped lines of the current page.
    virtual const QStringList &GetPrintLines() const { return m_printLines; }
    // The same lines as a string list, for scripts.
    classes::TStrings *PrintLinesList() const;
    // Writes the lines' text into the memory stream again.
    virtual void RefreshText();
    // A zero-terminated copy of the memory stream; nullptr when it is empty.
    std::unique_ptr<char[]> GetTextBuffer();
    QString GetText() const override;
    void SetText(const QString &aText) override;
    classes::TStrings *Lines() { return GetLines(); }

    // ---- Properties ----
    bool CharWrap() const { return m_charWrap; }
    void SetCharWrap(bool aValue);
    int32_t mmLeading() const { return m_mmLeading; }
    void SetmmLeading(int32_t aValue);
    // In the report's Units.
    float Leading() const;
    void SetLeading(float aValue);
    // In screen pixels, truncated.
    int32_t spLeading() const;
    // Shown in the report's Units; held in thousandths of a millimetre.
    classes::TStrings *TabStopPositions() const;
    void SetTabStopPositions(const classes::TStrings *aPositions);
    const QStringList &mmTabStops() const { return m_mmTabStops; }
    void SetmmTabStops(const QStringList &aPositions) { m_mmTabStops = aPositions; }
    // Its design control draws the lines with the tab stops again.
    void RefreshTabStops() override
    {
        if (!m_mmTabStops.isEmpty())
            InvalidateDesignControl();
    }
    // Where the text continues on the next page, 0 for its start.
    qsizetype TextPosition() const { return m_textPosition; }

    // ---- Generation ----
    bool SupportsFullJustify() const override { return true; }
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    void Init() override;
    void ResetGeneration() override;
    void CalcSpaceUsed() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    // An old template kept its leading in screen pixels.
    void Convert(int aVersionNo) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // Tab stops read from a stream are converted once the units are known.
    void Loaded() override;

protected:
    classes::TStringList &lines() { return *m_lines; }
    // The lines changed since the text was last made from them.
    bool textStale() const { return m_textStale; }
    TppCustomPrinter *measuringPrinter() const;
    // Wraps from aPosition into aRect; answers the line height.
    int32_t wrap(const QString &aText, const rtl::TRect &aRect, qsizetype &aPosition, QStringList &aLines) const;

private:
    std::unique_ptr<classes::TStringList> m_lines;
    std::unique_ptr<classes::TMemoryStream> m_memoStream;
    // The lines' text as the stream last took it.
    QString m_text;
    bool m_textStale = true;
    // What a stream or a script writes into the shown positions is taken
    // back into the held ones.
    mutable std::unique_ptr<classes::TStringList> m_tabStopView;
    mutable bool m_showingTabStops = false;
    QStringList m_readTabStops;
    bool m_tabStopsRead = false;
    mutable std::unique_ptr<classes::TStringList> m_printLinesView;
    QStringList m_mmTabStops;
    bool m_charWrap = false;
    int32_t m_mmLeading = 0;
    QStringList m_printLines;
    // The lines of the current cycle were wrapped; the height they take.
    bool m_printLinesReady = false;
    int32_t m_printHeight = 0;
    qsizetype m_textPosition = 0;
};

class TppMemo : public TppCustomMemo
{
    ZVO_CLASS(TppMemo)
public:
    explicit TppMemo(classes::TComponent *aOwner = nullptr);
    void SetLines(const classes::TStrings *aLines) override;
    void CreateDesignControl() override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered memo dialog with the lines; its OK takes them back.
    void ShowLinesDialog();
};

class TppDBMemo : public TppCustomMemo
{
    ZVO_CLASS(TppDBMemo)
public:
    explicit TppDBMemo(classes::TComponent *aOwner = nullptr);

    bool IsDataAware() const override { return true; }
    classes::TStrings *GetLines() override;
    classes::TMemoryStream *GetMemoStream() override;
    // Loads the lines from the handler, event 86 or the field first.
    void RefreshText() override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    QString GetDescription() const override;

    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool aValue);
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool aValue);
    TppMemoEvent OnGetMemo;
    // The last traversal found the text it had before.
    bool RepeatedValue() const { return m_repeated; }

    void Init() override;
    void Reset() override;
    void Generate() override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

private:
    bool loadsLines() const;
    void loadLines();

    // The repeated-value state, kept per page beside the cache record: a
    // page made again would otherwise compare its first record with the
    // text of the last page generated.
    struct RepeatState
    {
        QString rememberedText;
        bool hasRemembered = false;
        bool repeated = false;
    };
    TppPageValues<RepeatState> m_pageRepeatStates;

    bool m_autoDisplay = true;
    bool m_suppressRepeatedValues = false;
    // The text the last traversal found, and whether it repeated the one
    // before.
    QString m_rememberedText;
    bool m_hasRemembered = false;
    bool m_repeated = false;
    bool m_loading = false;
    // The field's text the lines were last made from.
    QString m_loadedField;
    bool m_fieldLoaded = false;
};

} // namespace report
