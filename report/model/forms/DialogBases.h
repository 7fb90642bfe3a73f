#pragma once

// The abstract dialogs of the library: for each, the fields and operations
// its callers use. The window layer (or an application) registers the
// concrete form of each in the form-class registry; a dialog without one is
// skipped.

#include "report/model/base/Units.h"
#include "report/model/forms/CustomForm.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace classes {
class TStringList;
} // namespace classes

namespace report {

class TppAutoSearchGroups;
class TppPageRequest;
class TppPreviewFormSettings;
class TppPrinter;
class TppTemplateDBSettings;

// The preview window.
class TppCustomPreviewer : public TppCustomForm
{
    ZVO_CLASS(TppCustomPreviewer)
public:
    using TppCustomForm::TppCustomForm;

    bool DocumentNameAsCaption() const { return m_documentNameAsCaption; }
    void SetDocumentNameAsCaption(bool aValue) { m_documentNameAsCaption = aValue; }
    // The page viewer; none in the base.
    virtual classes::TObject *Viewer() const { return nullptr; }
    virtual void Init() {}
    // The viewer's zoom, the window state, then the form's own settings.
    virtual void ApplyPreviewFormSettings(const TppPreviewFormSettings &) {}

    // The user asks to stop the print running behind the preview.
    classes::TNotifyEvent OnCancelRequest;

private:
    bool m_documentNameAsCaption = false;
};

// The print dialog: printer, pages, copies, and printing to a file.
class TppCustomPrintDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomPrintDialog)
public:
    explicit TppCustomPrintDialog(classes::TComponent *aOwner = nullptr);
    ~TppCustomPrintDialog() override;

    // Takes a copy of the request.
    virtual void SetPageRequest(const TppPageRequest *aPageRequest);
    TppPageRequest *PageRequest() const { return m_pageRequest.get(); }

    bool AllowPrintToArchive = false;
    bool AllowPrintToFile = false;
    QString ArchiveFileName;
    QString DeviceType;
    QString TextFileName;
    // The printer the dialog sets up (not owned).
    TppPrinter *Printer = nullptr;
    // Results.
    bool PrinterPropertiesChanged = false;
    bool PrintToArchive = false;
    bool PrintToFile = false;

private:
    std::unique_ptr<TppPageRequest> m_pageRequest;
};

// Which pages: all, a list, a single page.
class TppCustomPageSettingDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomPageSettingDialog)
public:
    explicit TppCustomPageSettingDialog(classes::TComponent *aOwner = nullptr);
    ~TppCustomPageSettingDialog() override;

    int32_t PageSetting = 0;
    classes::TStringList *PageList() const { return m_pageList.get(); }
    QString PageText;

private:
    std::unique_ptr<classes::TStringList> m_pageList;
};

// The progress window of a print job, with its Cancel button. Shown modally
// through ShowModalAndPrint, it starts the print itself from inside its
// modal wait: 10 ms after it is shown, once, it fires OnPrintNotify.
class TppCustomCancelDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomCancelDialog)
public:
    explicit TppCustomCancelDialog(classes::TComponent *aOwner = nullptr);
    ~TppCustomCancelDialog() override;

    virtual void ShowStatus() {}
    const QString &StatusText() const { return m_statusText; }
    // Stores the text, then ShowStatus.
    void SetStatusText(const QString &aText);
    // Modal, the timer armed, then the modal wait; answers its result.
    int ShowModalAndPrint();

    // Copied to the Cancel button on activation.
    bool CancelEnabled = false;
    bool Modal = false;
    classes::TNotifyEvent OnPrintNotify;

    // Whether the timer is armed.
    bool TimerEnabled() const;
    int TimerInterval() const;

protected:
    // The timer's tick: disarms it and fires OnPrintNotify. An exception that
    // escapes the handler closes the dialog, for nothing may leave a timer.
    void TimerTick();

private:
    QString m_statusText;
    std::unique_ptr<QTimer> m_timer;
};

// Calculation timing of a variable: when it calculates and resets.
class TppCustomCalcTimingDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomCalcTimingDialog)
public:
    explicit TppCustomCalcTimingDialog(classes::TComponent *aOwner = nullptr);
    ~TppCustomCalcTimingDialog() override;

    // Copy the lists.
    virtual void SetCalcComponents(const classes::TStringList *aList);
    virtual void SetResetComponents(const classes::TStringList *aList);
    classes::TStringList *CalcComponents() const { return m_calcComponents.get(); }
    classes::TStringList *ResetComponents() const { return m_resetComponents.get(); }

    int32_t CalcType = -1;
    classes::TComponent *CalcComponent = nullptr;
    int32_t ResetType = -1;
    classes::TComponent *ResetComponent = nullptr;

private:
    std::unique_ptr<classes::TStringList> m_calcComponents;
    std::unique_ptr<classes::TStringList> m_resetComponents;
};

// Where an object of a band sits, in the report's units. The dialog hands
// its values back through OnApply (its OK, or an Apply of its own).
class TppCustomPositionDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomPositionDialog)
public:
    using TppCustomForm::TppCustomForm;
    void Apply()
    {
        if (OnApply)
            OnApply(*this);
    }

    classes::TObject *Component = nullptr;
    TppUnitType Units = TppUnitType::utInches;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    bool ParentWidth = false;
    bool ParentHeight = false;
    // A stretching object's offsets, shown only when HasOffsets.
    bool HasOffsets = false;
    float BottomOffset = 0;
    float OverFlowOffset = 0;
    float StopPosition = 0;
    std::function<void(TppCustomPositionDialog &)> OnApply;
};

// A band's height, bottom offset and print position (in the report's units)
// and its print count; handed back through OnApply as the position dialog's.
class TppCustomBandPositionDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomBandPositionDialog)
public:
    using TppCustomForm::TppCustomForm;
    void Apply()
    {
        if (OnApply)
            OnApply(*this);
    }

    classes::TObject *Band = nullptr;
    TppUnitType Units = TppUnitType::utInches;
    float Height = 0;
    float BottomOffset = 0;
    float PrintPosition = 0;
    int32_t PrintCount = 0;
    std::function<void(TppCustomBandPositionDialog &)> OnApply;
};

// The order in which a band's variables are calculated; the dialog works on
// the band it is given.
class TppCustomCalcOrderDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomCalcOrderDialog)
public:
    using TppCustomForm::TppCustomForm;
    classes::TObject *Band = nullptr;
};

// The lines of a memo: given, edited, answered.
class TppCustomMemoDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomMemoDialog)
public:
    using TppCustomForm::TppCustomForm;
    virtual void SetLines(const QStringList &aLines) { m_lines = aLines; }
    virtual QStringList Lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// One choice of a list of names: the object a stretching object shifts
// below, the component a subreport drills down from. The first choice
// stands for none.
class TppCustomChoiceDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomChoiceDialog)
public:
    using TppCustomForm::TppCustomForm;
    QStringList Choices;
    QString Selection;
};

class TppCustomShiftDialog : public TppCustomChoiceDialog
{
    ZVO_CLASS(TppCustomShiftDialog)
public:
    using TppCustomChoiceDialog::TppCustomChoiceDialog;
};

class TppCustomDrillDownDialog : public TppCustomChoiceDialog
{
    ZVO_CLASS(TppCustomDrillDownDialog)
public:
    using TppCustomChoiceDialog::TppCustomChoiceDialog;
};

// A display format for a value of a data type.
class TppCustomFormatDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomFormatDialog)
public:
    using TppCustomForm::TppCustomForm;
    int DataType = 0;
    QString DisplayFormat;
};

// Dialogs whose callers need nothing beyond the common form.
#define ZVO_REPORT_PLAIN_DIALOG(Name_)                                                                                 \
    class Name_ : public TppCustomForm                                                                                 \
    {                                                                                                                  \
        ZVO_CLASS(Name_)                                                                                               \
    public:                                                                                                            \
        using TppCustomForm::TppCustomForm;                                                                            \
    };
ZVO_REPORT_PLAIN_DIALOG(TppCustomNoDataDialog)
ZVO_REPORT_PLAIN_DIALOG(TppCustomCalcDialog)
ZVO_REPORT_PLAIN_DIALOG(TppCustomTextSearchSettingsDialog)
#undef ZVO_REPORT_PLAIN_DIALOG

// The group whose end resets a data text's value, chosen among the report's
// groups (nullptr: none).
class TppCustomDBTextDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomDBTextDialog)
public:
    using TppCustomForm::TppCustomForm;
    std::vector<classes::TComponent *> Groups;
    classes::TComponent *ResetGroup = nullptr;
};

// What a data calculation aggregates: a field of one of the report's
// pipelines, the kind of aggregate (count, sum, minimum, maximum, average in
// that order) and the group that resets it. The dialog lists a pipeline's
// fields from the pipeline itself.
class TppCustomDBCalcDialog : public TppCustomDBTextDialog
{
    ZVO_CLASS(TppCustomDBCalcDialog)
public:
    using TppCustomDBTextDialog::TppCustomDBTextDialog;
    std::vector<classes::TObject *> DataPipelines;
    classes::TObject *DataPipeline = nullptr;
    QString DataField;
    int32_t DBCalcType = 0;
};

// A bar code's symbology and look. The values go back through OnApply: on
// OK, or from an Apply of the dialog's own.
class TppCustomBarCodeDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomBarCodeDialog)
public:
    using TppCustomForm::TppCustomForm;
    void Apply()
    {
        if (OnApply)
            OnApply(*this);
    }

    // Numbered as the symbologies and orientations are declared.
    int32_t BarCodeType = 0;
    int32_t Orientation = 0;
    // In the report's units.
    float BarWidth = 0;
    float WideBarRatio = 0;
    QString AddOnCode;
    bool BearerBars = false;
    bool CalcCheckDigit = false;
    bool AutoEncode = false;
    std::function<void(TppCustomBarCodeDialog &)> OnApply;
};

// The RTF of a rich text, edited and read back after OK; with mail merge
// the editor tells that field tags are merged.
class TppCustomRTFEditor : public TppCustomForm
{
    ZVO_CLASS(TppCustomRTFEditor)
public:
    using TppCustomForm::TppCustomForm;
    virtual void SetRichText(const QByteArray &aRichText) { m_richText = aRichText; }
    virtual QByteArray RichText() const { return m_richText; }
    virtual void SetMailMerge(bool aValue) { m_mailMerge = aValue; }
    bool MailMerge() const { return m_mailMerge; }

private:
    QByteArray m_richText;
    bool m_mailMerge = false;
};

// The search criteria a report asks before it generates: one panel per
// field, a page per group when there are two groups or more.
class TppCustomAutoSearchDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomAutoSearchDialog)
public:
    using TppCustomForm::TppCustomForm;

    // The report's groups while the dialog shows them (not owned).
    TppAutoSearchGroups *AutoSearchGroups() const { return m_autoSearchGroups; }
    void SetAutoSearchGroups(TppAutoSearchGroups *aGroups) { m_autoSearchGroups = aGroups; }
    // Builds the panels of the groups' fields.
    virtual void Init() { CreatePanels(); }

protected:
    virtual void CreatePanels() = 0;

private:
    TppAutoSearchGroups *m_autoSearchGroups = nullptr;
};

// The name of a template among the records of a pipeline, to open one or to
// save under. The rules live here, the list and the edit in the window.
class TppCustomTemplateDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomTemplateDialog)
public:
    using TppCustomForm::TppCustomForm;

    enum class Mode { Open, Save };

    TppTemplateDBSettings *DatabaseSettings = nullptr;
    Mode DialogMode = Mode::Open;
    // The template's description, in the caption of the save mode.
    QString TemplateDescription;
    virtual QString TemplateName() const { return m_templateName; }
    virtual void SetTemplateName(const QString &aName) { m_templateName = aName; }

    // The name field of every record, first to last (the pipeline opened
    // when it is not).
    QStringList TemplateNames() const;
    // Whether the dialog may close on OK with the name: not empty; to open,
    // a name that is there (else a warning); to save, one that is not, or
    // one the user agrees to replace.
    bool AcceptName(const QString &aName) const;

private:
    bool locate(const QString &aName) const;

    QString m_templateName;
};

// A template that cannot be read wholly: Ignore (5), Cancel (2) or Ignore
// All (8).
class TppCustomTemplateErrorDialog : public TppCustomForm
{
    ZVO_CLASS(TppCustomTemplateErrorDialog)
public:
    using TppCustomForm::TppCustomForm;

    virtual void SetMessage(const QString &aMessage) { m_message = aMessage; }
    virtual QString GetMessage() const { return m_message; }

private:
    QString m_message;
};

} // namespace report
