#include "report/content/text/CustomText.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/bands/CustomBand.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/printing/Printer.h"
#include "report/model/production/Producer.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextDevice.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

TppCustomPrinter *customTextPrinter(const TppPrintable &aText)
{
    return dynamic_cast<TppCustomPrinter *>(const_cast<PrinterResolution *>(aText.GetPrinter()));
}

} // namespace

const classes::TMetaClass &TppCustomText::StaticClass()
{
    using C = TppCustomText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomComponent>("TppCustomText", [](classes::TClassBuilder<C> &c) {
            c.Boolean("CharWrap", &C::CharWrap, &C::SetCharWrap).Default(false);
            c.Event("OnGetText", &C::OnGetText, QStringLiteral("TppGetTextEvent"));
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Integer("SaveOrder", &C::SaveOrder, &C::SetSaveOrder).Default(-1);
            c.Boolean("Save", &C::Save, &C::SetSave).Default(false);
            c.Integer("SaveLength", &C::SaveLength, &C::SetSaveLength).Default(0);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
        });
    return meta;
}

TppCustomText::TppCustomText(classes::TComponent *aOwner)
    : TppCustomComponent(aOwner)
{
    SetAutoSize(true);
    SetColor(0xFFFFFF);
    SetDrawCommandClass(&TppDrawText::StaticClass());
}

TppCustomText::~TppCustomText()
{
    BeforeDestruction();
    // The groups must not break on a name that names nothing.
    const std::vector<TppGroup *> groups = m_groups;
    m_groups.clear();
    for (auto it = groups.rbegin(); it != groups.rend(); ++it)
        (*it)->SetBreakName(QString());
}

// ---- Save list -----------------------------------------------------------------

int TppCustomText::SaveOrder() const
{
    return Band() ? Band()->IndexOfSave(this) : -1;
}

void TppCustomText::SetSaveOrder(int aIndex)
{
    if (loadingOrReading()) {
        m_streamedSaveOrder =
            int16_t(std::clamp<int>(aIndex, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
        return;
    }
    UpdateSaveOrder(aIndex);
}

void TppCustomText::UpdateSaveOrder(int aIndex)
{
    TppBand *band = Band();
    if (!m_save || !band)
        return;
    const int count = band->SaveCount();
    const int index = std::clamp(aIndex, 0, std::max(count - 1, 0));
    const int current = band->IndexOfSave(this);
    if (index == current)
        return;
    if (current >= 0)
        band->RemoveSave(this);
    band->InsertSave(std::min(index, band->SaveCount()), this);
}

void TppCustomText::SetSave(bool aValue)
{
    if (aValue == m_save)
        return;
    m_save = aValue;
    if (loadingOrReading())
        return;
    if (TppBand *band = Band()) {
        if (aValue)
            band->AddSave(this);
        else
            band->RemoveSave(this);
    }
    InvalidateDesignControl();
    PropertyChange();
}

void TppCustomText::SetSaveLength(int32_t aValue)
{
    if (aValue == m_saveLength)
        return;
    m_saveLength = aValue;
    PropertyChange();
}

// ---- Properties ----------------------------------------------------------------

void TppCustomText::SetCharWrap(bool aValue)
{
    if (aValue == m_charWrap)
        return;
    m_charWrap = aValue;
    const std::weak_ptr<char> alive = AliveToken();
    AdjustBounds();
    if (alive.expired())
        return;
    InvalidateDesignControl();
    PropertyChange();
}

void TppCustomText::SetDisplayFormat(const QString &aValue)
{
    if (aValue == m_displayFormat)
        return;
    m_displayFormat = aValue;
    InvalidateDesignControl();
}

// ---- Size ----------------------------------------------------------------------

unsigned TppCustomText::alignmentFlags() const
{
    switch (TextAlignment()) {
    case TppTextAlignment::taLeftJustified: return gfx::DT_LEFT;
    case TppTextAlignment::taRightJustified: return gfx::DT_RIGHT;
    case TppTextAlignment::taCentered: return gfx::DT_CENTER;
    default: break;
    }
    throw EDesignError(QStringLiteral("TppCustomText.AdjustBounds: Unknown alignment type."));
}

void TppCustomText::AdjustBounds()
{
    if (loadingOrReading() || ReportPrinting() || (!AutoSize() && WordWrap()))
        return;
    const unsigned flags = alignmentFlags() | gfx::DT_CALCRECT | gfx::DT_EXPANDTABS |
                           (WordWrap() ? gfx::DT_WORDBREAK : 0u) | gfx::DT_NOPREFIX | gfx::DT_EXTERNALLEADING;
    TppTextDevice device(customTextPrinter(*this));
    device.SetFont(Font()->Font());
    rtl::TRect rect{0, 0, device.ToPixels(mmWidth(), TppAxisType::atHorizontal),
                    device.ToPixels(mmHeight(), TppAxisType::atVertical)};
    // The caption of a data text runs its handlers, which may free it.
    const std::weak_ptr<char> alive = AliveToken();
    const QString caption = GetCaption();
    if (alive.expired())
        return;
    device.Canvas().DrawText(QStringView(caption), rect, flags);
    const int32_t width = device.ToMM(rect.Right - rect.Left, TppAxisType::atHorizontal);
    const int32_t height = device.ToMM(rect.Bottom - rect.Top, TppAxisType::atVertical);
    if (!AutoSize()) {
        SetBounds(mmLeft(), mmTop(), mmWidth(), height);
        return;
    }
    int32_t left = mmLeft();
    if (TextAlignment() == TppTextAlignment::taRightJustified)
        left += mmWidth() - width;
    else if (TextAlignment() == TppTextAlignment::taCentered)
        left += (mmWidth() - width) / 2;
    SetBounds(left, mmTop(), width, height);
}

// ---- Text ----------------------------------------------------------------------

QString TppCustomText::GetTheText() const
{
    return TppCustomComponent::GetText();
}

QString TppCustomText::GetText() const
{
    // OnFormat (inside GetTheText) and OnGetText may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    QString text = GetTheText();
    if (alive.expired() || loadingOrReading() || (InDesignState() && !ReportPrinting()))
        return text;
    auto *self = const_cast<TppCustomText *>(this);
    if (OnGetText)
        OnGetText(self, text);
    if (alive.expired() || !HasEventNotify(ppEvent::OnGetText))
        return text;
    TraParamList params;
    params.AddParam(QStringLiteral("Text"), TraDataType::daString, true);
    params.BindParamValue(0, &text);
    self->SendEventNotify(self, ppEvent::OnGetText, &params);
    return text;
}

QString TppCustomText::GetDescription() const
{
    return UserName() + QStringLiteral(": ") + const_cast<TppCustomText *>(this)->GetCaption();
}

void TppCustomText::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    // The command is the text's own class but where a handler or a
    // descendant chose another; the exact class is told apart without a
    // type query.
    auto *text = aDrawCommand && &aDrawCommand->ClassType() == &TppDrawText::StaticClass()
                     ? static_cast<TppDrawText *>(aDrawCommand)
                     : dynamic_cast<TppDrawText *>(aDrawCommand);
    if (!text)
        return;
    const std::weak_ptr<char> alive = AliveToken();
    const QString value = GetText();
    // Freed by a handler of its text: the caller drops the command.
    if (alive.expired())
        return;
    const rtl::TRect &rect = PrintPosRect();
    text->SetAlignment(Alignment());
    text->SetAutoSize(AutoSize());
    text->SetColor(Color());
    text->SetForceJustifyLastLine(ForceJustifyLastLine());
    text->SetLeft(rect.Left);
    text->SetTop(rect.Top);
    text->SetWidth(rect.Right - rect.Left);
    text->SetHeight(rect.Bottom - rect.Top);
    text->SetText(value);
    text->SetTextAlignment(TextAlignment());
    text->SetTransparent(Transparent());
    text->SetWordWrap(WordWrap());
    text->SetFont(Font());
    if (WordWrap()) {
        QStringList lines;
        qsizetype position = 0;
        TppPlainText::WordWrap(value, rect, TextAlignment(), AutoSize(), Font()->Font(), m_charWrap, 0, {},
                               customTextPrinter(*this), position, lines);
        text->WrappedText()->Clear();
        for (const QString &line : lines)
            text->WrappedText()->Add(line);
    }
    TppBand *band = Band();
    TppCustomBand *printing = printingBand();
    TppCustomEngine *engine = printing ? printing->PageEngine() : nullptr;
    text->SetBandSave(band && band->Save());
    text->SetBandSaveNo(engine ? engine->ReportBandCount() : 0);
    text->SetComponent(this);
    text->SetComponentSave(m_save);
    text->SetComponentSaveNo(SaveOrder());
    text->SetSaveLength(m_saveLength);
}

// ---- Groups and names ----------------------------------------------------------

void TppCustomText::AddGroup(TppGroup *aGroup)
{
    if (!aGroup || std::find(m_groups.begin(), m_groups.end(), aGroup) != m_groups.end())
        return;
    m_groups.push_back(aGroup);
    AddNotify(aGroup);
}

void TppCustomText::RemoveGroup(TppGroup *aGroup)
{
    const auto it = std::find(m_groups.begin(), m_groups.end(), aGroup);
    if (it != m_groups.end())
        m_groups.erase(it);
}

void TppCustomText::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomComponent::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove)
        RemoveGroup(dynamic_cast<TppGroup *>(aCommunicator));
}

void TppCustomText::renameInGroups(const QString &aOldName, const QString &aNewName)
{
    if (loadingOrReading() || aOldName == aNewName)
        return;
    const std::vector<TppGroup *> groups = m_groups;
    for (TppGroup *group : groups)
        if (group->BreakName() == aOldName)
            group->SetBreakName(aNewName);
}

void TppCustomText::SetName(const QString &aNewName)
{
    const QString oldName = Name();
    TppCustomComponent::SetName(aNewName);
    renameInGroups(oldName, Name());
}

void TppCustomText::SetUserName(const QString &aUserName)
{
    // Groups find their break text by its user name.
    const QString oldName = UserName();
    TppCustomComponent::SetUserName(aUserName);
    renameInGroups(oldName, UserName());
}

// ---- Streams -------------------------------------------------------------------

void TppCustomText::DefineProperties(classes::TFiler &aFiler)
{
    TppCustomComponent::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("OnSave"), [this](classes::TReader &r) { m_legacySaveName = r.ReadIdent(); }, nullptr, false);
}

void TppCustomText::Convert(int aVersionNo)
{
    TppCustomComponent::Convert(aVersionNo);
    if (aVersionNo >= 3100 || m_legacySaveName.isEmpty())
        return;
    IppReportContext *context = Report();
    auto *producer = context ? dynamic_cast<TppProducer *>(context->ReportObject()) : nullptr;
    if (!producer)
        return;
    const classes::TMethod method = ppMethodByName(producer->Owner(), m_legacySaveName);
    if (const auto *code = std::any_cast<TppSaveTextEvent::Function>(&method.Code))
        producer->OnSaveText.Set(method.Name, *code);
}

// ---- Designer ------------------------------------------------------------------

void TppCustomText::PaintDesignControl(gfx::Canvas &aCanvas)
{
    const rtl::TRect client = GetSpClientRect();
    if (!Transparent())
        aCanvas.FillRect(client, gfx::Brush::solid(Color()));
    aCanvas.setFont(Font()->Font());
    aCanvas.setBkMode(gfx::BkMode::Transparent);
    const unsigned flags = alignmentFlags() | gfx::DT_EXPANDTABS | (WordWrap() ? gfx::DT_WORDBREAK : 0u) |
                           gfx::DT_NOPREFIX | gfx::DT_EXTERNALLEADING;
    const QString caption = GetCaption();
    aCanvas.DrawText(QStringView(caption), client, flags);
    aCanvas.FrameRect(client, gfx::Brush::solid(rtl::clBlack));
}

} // namespace report
