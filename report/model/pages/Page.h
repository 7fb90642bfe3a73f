#pragma once

// TppPage: one generated page, a tree whose children are its draw commands,
// with the numbers, flags and printer setup of the run that made it. The
// page owns its commands; a copy (Assign) clones every command by class, so
// the publisher's cache and the screen device hold pages of their own.

#include "report/model/base/Types.h"
#include "report/model/objects/Relative.h"

#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace report {

class TppDevice;
class TppDrawCommand;
class TppPageDef;
class TppPrinterSetup;

class TppPage : public TppRelative
{
    ZVO_CLASS(TppPage)
public:
    explicit TppPage(classes::TComponent *aOwner = nullptr);
    // Frees the draw commands, last first.
    ~TppPage() override;

    // ---- Draw commands ----
    // Joins the command to this page (leaving any other page) and makes the
    // page its owner. A second outline command raises EOutlineError and
    // leaves both pages as they were.
    void AddDrawCommand(TppDrawCommand *aDrawCommand);
    // Takes the command off the page; the caller owns it afterwards.
    void RemoveDrawCommand(TppDrawCommand *aDrawCommand);
    TppDrawCommand *DrawCommands(int aIndex) const;
    int DrawCommandCount() const { return ChildCount(); }
    TppDrawCommand *ClickableDrawCommands(int aIndex) const;
    int ClickableDrawCommandCount() const { return m_clickable ? int(m_clickable->size()) : 0; }
    bool HasRecalcDrawCommands() const { return m_recalc != nullptr; }
    // The first command of aClass or a descendant, or nullptr.
    TppDrawCommand *FindDrawCommand(const classes::TMetaClass &aClass) const;
    // The first command of the class registered as "TppOutlineDrawCommand".
    TppDrawCommand *OutlineDrawCommand() const;
    // Recalculates the commands that need it; those that changed are drawn
    // again on aDevice when one is given.
    void RecalcDrawCommands(TppDevice *aDevice);
    // Frees the commands and zeroes the numbers and flags.
    void Clear();

    // "Page 3" and "Page 3 of 12" in the library's language.
    QString PageNoDescription() const;
    QString PageNoOfCountDescription() const;

    // Copies the values and the printer setup and clones the commands. A
    // command whose class is not registered raises EBrevantorError before
    // anything changes.
    void Assign(const classes::TPersistent *source) override;
    void Loaded() override;
    // From the end: commands leave a page last first.
    int IndexOfChild(const TppRelative *aChild) const override;

    // ---- Properties ----
    int32_t AbsolutePageNo() const { return m_absolutePageNo; }
    void SetAbsolutePageNo(int32_t aValue) { m_absolutePageNo = aValue; }
    int32_t AbsolutePageCount() const { return m_absolutePageCount; }
    void SetAbsolutePageCount(int32_t aValue) { m_absolutePageCount = aValue; }
    bool Calculation() const { return m_calculation; }
    void SetCalculation(bool aValue) { m_calculation = aValue; }
    rtl::TColor Color() const { return m_color; }
    void SetColor(rtl::TColor aValue) { m_color = aValue; }
    int32_t ControlGroupBreakNo() const { return m_controlGroupBreakNo; }
    void SetControlGroupBreakNo(int32_t aValue) { m_controlGroupBreakNo = aValue; }
    const QString &DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString &aValue) { m_documentName = aValue; }
    bool FirstPage() const { return m_firstPage; }
    void SetFirstPage(bool aValue) { m_firstPage = aValue; }
    bool Final() const { return m_final; }
    void SetFinal(bool aValue) { m_final = aValue; }
    int32_t LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int32_t aValue) { m_languageIndex = aValue; }
    bool LastPage() const { return m_lastPage; }
    void SetLastPage(bool aValue) { m_lastPage = aValue; }
    TppPageDef *PageDef() const;
    int32_t PageNo() const { return m_pageNo; }
    void SetPageNo(int32_t aValue) { m_pageNo = aValue; }
    int32_t PageCount() const { return m_pageCount; }
    void SetPageCount(int32_t aValue) { m_pageCount = aValue; }
    TppPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TppPassSettingType aValue) { m_passSetting = aValue; }
    rtl::TDateTime PrintDateTime() const { return m_printDateTime; }
    void SetPrintDateTime(rtl::TDateTime aValue) { m_printDateTime = aValue; }
    TppPrinterSetup *PrinterSetup() const { return m_printerSetup.get(); }
    // Copies the given setup.
    void SetPrinterSetup(const TppPrinterSetup *aSetup);

private:
    friend class TppDrawCommand;
    using CommandList = std::vector<TppDrawCommand *>;

    void clickableChanged(TppDrawCommand *aDrawCommand);
    static void addTo(std::unique_ptr<CommandList> &aList, TppDrawCommand *aDrawCommand);
    static void dropFrom(std::unique_ptr<CommandList> &aList, TppDrawCommand *aDrawCommand);
    void freeDrawCommands();

    int32_t m_absolutePageNo = 0;
    int32_t m_absolutePageCount = 0;
    bool m_calculation = false;
    rtl::TColor m_color = 0xFFFFFF;
    int32_t m_controlGroupBreakNo = 0;
    QString m_documentName;
    bool m_firstPage = false;
    bool m_final = false;
    int32_t m_languageIndex = 0;
    bool m_lastPage = false;
    int32_t m_pageNo = 0;
    int32_t m_pageCount = 0;
    TppPassSettingType m_passSetting = TppPassSettingType::psOnePass;
    rtl::TDateTime m_printDateTime = 0;
    std::unique_ptr<TppPrinterSetup> m_printerSetup;
    // Made on first use and freed when they become empty.
    std::unique_ptr<CommandList> m_clickable;
    std::unique_ptr<CommandList> m_recalc;
    TppLiveCount<TppPage> m_live;
};

// The method "RemoveDrawCommand" ("aDrawCommand").
class TraTppPageRTTI : public TraRTTI
{
public:
    static const TraTppPageRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;

protected:
    TraTppPageRTTI();
};

} // namespace report
