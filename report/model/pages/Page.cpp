#include "report/model/pages/Page.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/printing/PrinterSetup.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringList.h"

#include <algorithm>

namespace report {

namespace {

// Whether the class or one of its ancestors bears the outline command's
// name, as the class registry matches names: a page takes thousands of
// commands, and only these need the registry looked up.
bool namesOutline(const classes::TMetaClass &aClass)
{
    const QLatin1String outline("TppOutlineDrawCommand");
    for (const classes::TMetaClass *c = &aClass; c; c = c->ClassParent())
        if (c->ClassName().size() == outline.size() && c->ClassName().compare(outline, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

const classes::TMetaClass &TppPage::StaticClass()
{
    using P = TppPage;
    static const classes::TMetaClass meta =
        classes::MakeClass<P, TppRelative>("TppPage", [](classes::TClassBuilder<P> &c) {
            c.Integer("AbsolutePageNo", &P::AbsolutePageNo, &P::SetAbsolutePageNo);
            c.Integer("AbsolutePageCount", &P::AbsolutePageCount, &P::SetAbsolutePageCount);
            c.Boolean("Calculation", &P::Calculation, &P::SetCalculation).Default(false);
            c.Integer("Color", &P::Color, &P::SetColor).Default(0xFFFFFF);
            c.Integer("ControlGroupBreakNo", &P::ControlGroupBreakNo, &P::SetControlGroupBreakNo);
            c.String("DocumentName", &P::DocumentName, &P::SetDocumentName);
            c.Boolean("FirstPage", &P::FirstPage, &P::SetFirstPage).Default(false);
            c.Boolean("Final", &P::Final, &P::SetFinal).Default(false);
            c.Integer("LanguageIndex", &P::LanguageIndex, &P::SetLanguageIndex);
            c.Boolean("LastPage", &P::LastPage, &P::SetLastPage).Default(false);
            c.Object("PageDef", &P::PageDef);
            c.Integer("PageNo", &P::PageNo, &P::SetPageNo);
            c.Integer("PageCount", &P::PageCount, &P::SetPageCount);
            c.Enum("PassSetting", EnumInfo<TppPassSettingType>(), &P::PassSetting, &P::SetPassSetting);
            c.DateTime("PrintDateTime", &P::PrintDateTime, &P::SetPrintDateTime);
            c.Object("PrinterSetup", &P::PrinterSetup, &P::SetPrinterSetup);
        });
    return meta;
}

TppPage::TppPage(classes::TComponent *aOwner)
    : TppRelative(aOwner)
    , m_printerSetup(std::make_unique<TppPrinterSetup>(this))
{}

TppPage::~TppPage()
{
    BeforeDestruction();
    Destroying();
    freeDrawCommands();
}

void TppPage::freeDrawCommands()
{
    // Each command leaves the page as it goes; a child that does not is
    // taken off here, so that the loop ends whatever the children do.
    while (ChildCount() > 0) {
        TppRelative *child = ChildAt(ChildCount() - 1);
        delete child;
        if (ChildCount() > 0 && ChildAt(ChildCount() - 1) == child)
            RemoveChild(child);
    }
    m_clickable.reset();
    m_recalc.reset();
}

void TppPage::addTo(std::unique_ptr<CommandList> &aList, TppDrawCommand *aDrawCommand)
{
    if (!aList)
        aList = std::make_unique<CommandList>();
    if (std::find(aList->begin(), aList->end(), aDrawCommand) == aList->end())
        aList->push_back(aDrawCommand);
}

void TppPage::dropFrom(std::unique_ptr<CommandList> &aList, TppDrawCommand *aDrawCommand)
{
    if (!aList)
        return;
    aList->erase(std::remove(aList->begin(), aList->end(), aDrawCommand), aList->end());
    if (aList->empty())
        aList.reset();
}

void TppPage::AddDrawCommand(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand || aDrawCommand->m_page == this || IsDestroying())
        return;
    if (const classes::TMetaClass *outline = namesOutline(aDrawCommand->ClassType())
                                                 ? classes::GetClass(std::string_view("TppOutlineDrawCommand"))
                                                 : nullptr;
        outline && aDrawCommand->InheritsFrom(*outline) && OutlineDrawCommand())
        throw EOutlineError(
            QStringLiteral("TppPage.AddDrawCommand: Cannot add more than one draw outline command per page."));

    classes::TComponent *oldOwner = aDrawCommand->Owner();
    if (oldOwner != this) {
        if (oldOwner)
            oldOwner->RemoveComponent(aDrawCommand);
        try {
            InsertComponent(aDrawCommand);
        } catch (...) {
            // A name taken here: the command stays where it was.
            if (oldOwner)
                oldOwner->InsertComponent(aDrawCommand);
            throw;
        }
    }
    if (aDrawCommand->m_page)
        aDrawCommand->m_page->RemoveDrawCommand(aDrawCommand);
    aDrawCommand->TppRelative::SetParent(this);
    aDrawCommand->m_page = this;
    if (aDrawCommand->NeedsRecalculation())
        addTo(m_recalc, aDrawCommand);
    if (aDrawCommand->Clickable())
        addTo(m_clickable, aDrawCommand);
}

void TppPage::RemoveDrawCommand(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand || aDrawCommand->m_page != this)
        return;
    aDrawCommand->m_page = nullptr;
    aDrawCommand->TppRelative::SetParent(nullptr);
    dropFrom(m_clickable, aDrawCommand);
    dropFrom(m_recalc, aDrawCommand);
    if (aDrawCommand->Owner() == this && !IsDestroying())
        RemoveComponent(aDrawCommand);
}

void TppPage::clickableChanged(TppDrawCommand *aDrawCommand)
{
    if (aDrawCommand->Clickable())
        addTo(m_clickable, aDrawCommand);
    else
        dropFrom(m_clickable, aDrawCommand);
}

TppDrawCommand *TppPage::DrawCommands(int aIndex) const
{
    return static_cast<TppDrawCommand *>(ChildAt(aIndex));
}

TppDrawCommand *TppPage::ClickableDrawCommands(int aIndex) const
{
    if (aIndex < 0 || aIndex >= ClickableDrawCommandCount())
        throw classes::EListError("List index out of bounds (" + std::to_string(aIndex) + ")");
    return (*m_clickable)[size_t(aIndex)];
}

TppDrawCommand *TppPage::FindDrawCommand(const classes::TMetaClass &aClass) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (ChildAt(i)->InheritsFrom(aClass))
            return DrawCommands(i);
    return nullptr;
}

TppDrawCommand *TppPage::OutlineDrawCommand() const
{
    const classes::TMetaClass *outline = classes::GetClass(std::string_view("TppOutlineDrawCommand"));
    return outline ? FindDrawCommand(*outline) : nullptr;
}

void TppPage::RecalcDrawCommands(TppDevice *aDevice)
{
    if (!m_recalc)
        return;
    // A device that redraws may change the page; the snapshot keeps the
    // walk safe and skips commands that left meanwhile.
    const CommandList commands = *m_recalc;
    for (TppDrawCommand *command : commands) {
        if (!m_recalc || std::find(m_recalc->begin(), m_recalc->end(), command) == m_recalc->end())
            continue;
        if (command->Recalculate() && aDevice)
            aDevice->RedrawDrawCommand(command);
    }
}

void TppPage::Clear()
{
    freeDrawCommands();
    m_absolutePageNo = 0;
    m_absolutePageCount = 0;
    m_calculation = false;
    m_controlGroupBreakNo = 0;
    m_final = false;
    m_languageIndex = 0;
    m_lastPage = false;
    m_pageCount = 0;
    m_pageNo = 0;
    m_documentName.clear();
}

QString TppPage::PageNoDescription() const
{
    return ppLoadStr(18) + QLatin1Char(' ') + QString::number(m_absolutePageNo);
}

QString TppPage::PageNoOfCountDescription() const
{
    return ppLoadStr(18) + QLatin1Char(' ') + QString::number(m_absolutePageNo) + QLatin1Char(' ') + ppLoadStr(16) +
           QLatin1Char(' ') + QString::number(m_absolutePageCount);
}

TppPageDef *TppPage::PageDef() const
{
    return m_printerSetup->PageDef();
}

void TppPage::SetPrinterSetup(const TppPrinterSetup *aSetup)
{
    if (aSetup && aSetup != m_printerSetup.get())
        m_printerSetup->Assign(aSetup);
}

void TppPage::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppPage *>(source);
    if (!other) {
        TppRelative::Assign(source);
        return;
    }
    if (other == this)
        return;
    // Each command is copied as its own class, registered or not: a
    // program's own command class is as much a page's content as the
    // library's. A class that cannot be made is found before anything
    // changes, so that both pages stay whole.
    for (int i = 0; i < other->ChildCount(); ++i) {
        const classes::TMetaClass &sourceClass = other->ChildAt(i)->ClassType();
        if (sourceClass.IsAbstract())
            throw EBrevantorError(QStringLiteral("TppPage.Assign: Draw command class %1 cannot be created.")
                                      .arg(sourceClass.ClassName()));
    }

    m_absolutePageNo = other->m_absolutePageNo;
    m_absolutePageCount = other->m_absolutePageCount;
    m_calculation = other->m_calculation;
    m_color = other->m_color;
    m_controlGroupBreakNo = other->m_controlGroupBreakNo;
    m_documentName = other->m_documentName;
    m_firstPage = other->m_firstPage;
    m_final = other->m_final;
    m_languageIndex = other->m_languageIndex;
    m_lastPage = other->m_lastPage;
    m_pageNo = other->m_pageNo;
    m_pageCount = other->m_pageCount;
    m_passSetting = other->m_passSetting;
    m_printDateTime = other->m_printDateTime;
    m_printerSetup->Assign(other->m_printerSetup.get());

    freeDrawCommands();
    for (int i = 0; i < other->ChildCount(); ++i) {
        auto *copy = static_cast<TppDrawCommand *>(other->ChildAt(i)->ClassType().NewComponent(this));
        try {
            copy->Assign(other->DrawCommands(i));
            copy->SetPage(this);
        } catch (...) {
            delete copy;
            throw;
        }
    }
}

int TppPage::IndexOfChild(const TppRelative *aChild) const
{
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (ChildAt(i) == aChild)
            return i;
    return -1;
}

void TppPage::Loaded()
{
    m_printerSetup->Loaded();
    TppRelative::Loaded();
}

// ---- Descriptor -------------------------------------------------------------

TraTppPageRTTI::TraTppPageRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const TraTppPageRTTI &TraTppPageRTTI::Instance()
{
    static const TraTppPageRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppPageRTTI::RefClass() const
{
    return TppPage::StaticClass();
}

void TraTppPageRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddMethodName(aList, QStringLiteral("RemoveDrawCommand"));
}

bool TraTppPageRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (!raSameName(aName, "RemoveDrawCommand"))
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    MethodToRec(QStringLiteral("RemoveDrawCommand"), true, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppPageRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "RemoveDrawCommand"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("aDrawCommand"), TraDataType::daClass, false, false, QString(),
                     &TppDrawCommand::StaticClass());
    return params;
}

bool TraTppPageRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *page = dynamic_cast<TppPage *>(aObject);
    if (!page || !raSameName(aName, "RemoveDrawCommand"))
        return TraRTTI::CallMethod(aObject, aName, aParams);
    page->RemoveDrawCommand(aParams.ParamValue<TppDrawCommand *>(0));
    return true;
}

} // namespace report
