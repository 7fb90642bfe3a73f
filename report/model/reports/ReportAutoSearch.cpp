// The report's auto-search criteria: its list of fields, the search dialog
// that Print shows first, and the events around it.

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/engine/Engine.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/Report.h"

#include "platform/classes/StringList.h"
#include "platform/rtl/Variants.h"

#include <QPointer>
#include <QScopeGuard>

#include <algorithm>

namespace report {

TppAutoSearchField *TppReport::AutoSearchFields(int aIndex) const
{
    if (aIndex < 0 || aIndex >= AutoSearchFieldCount())
        return nullptr;
    return m_autoSearchFields[size_t(aIndex)];
}

int TppReport::AddChild(TppAutoSearchField *aField)
{
    InsertChild(AutoSearchFieldCount(), aField);
    return AutoSearchFieldCount() - 1;
}

void TppReport::InsertChild(int aIndex, TppAutoSearchField *aField)
{
    if (!aField || IndexOfChild(aField) >= 0)
        return;
    aIndex = std::clamp(aIndex, 0, AutoSearchFieldCount());
    AddNotify(aField);
    m_autoSearchFields.insert(m_autoSearchFields.begin() + aIndex, aField);
    aField->ReportChanged(this);
    Reset();
}

int TppReport::IndexOfChild(const TppAutoSearchField *aField) const
{
    const auto it = std::find(m_autoSearchFields.begin(), m_autoSearchFields.end(), aField);
    return it == m_autoSearchFields.end() ? -1 : int(it - m_autoSearchFields.begin());
}

int TppReport::RemoveChild(TppAutoSearchField *aField)
{
    const int index = IndexOfChild(aField);
    if (index < 0)
        return -1;
    m_autoSearchFields.erase(m_autoSearchFields.begin() + index);
    aField->ReportChanged(nullptr);
    RemoveNotify(aField);
    if (!IsDestroying())
        Reset();
    return index;
}

void TppReport::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppBandedReport::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    for (TppAutoSearchField *field : std::vector<TppAutoSearchField *>(m_autoSearchFields))
        if (static_cast<TppCommunicator *>(field) == aCommunicator)
            RemoveChild(field);
}

void TppReport::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppBandedReport::EventNotify(aCommunicator, aEventID, aParams);
    // The report sends these itself: answering its own would never end.
    if (aCommunicator == this)
        return;
    if (aEventID == ppEvent::OnGetAutoSearchValues)
        DoOnGetAutoSearchValues();
    else if (aEventID == ppEvent::BeforeAutoSearchDialogCreate)
        DoBeforeAutoSearchDialogCreate();
}

void TppReport::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot)
{
    TppBandedReport::GetChildren(aProc, aRoot);
    for (TppAutoSearchField *field : std::vector<TppAutoSearchField *>(m_autoSearchFields))
        aProc(field);
}

void TppReport::transferAutoSearchFields(TppReport &aSource)
{
    if (&aSource == this)
        return;
    for (TppAutoSearchField *field : std::vector<TppAutoSearchField *>(m_autoSearchFields))
        delete field;
    for (TppAutoSearchField *field : std::vector<TppAutoSearchField *>(aSource.m_autoSearchFields)) {
        field->SetReport(this);
        if (field->Owner() == &aSource)
            field->ChangeOwner(this);
        else if (field->Owner() != Owner())
            field->ChangeOwner(Owner());
    }
}

TppAutoSearchField *TppReport::CreateAutoSearchCriteria(const QString &aDataPipelineName, const QString &aFieldName,
                                                        TppSearchOperatorType aOperator, const QString &aExpression,
                                                        bool aMandatory)
{
    auto *field = new TppAutoSearchField(this);
    field->SetName(GetUniqueName(field));
    field->SetDataPipelineName(aDataPipelineName);
    field->SetFieldName(aFieldName);
    field->SetSearchOperator(aOperator);
    field->SetSearchExpression(aExpression);
    field->SetMandatory(aMandatory);
    field->SetReport(this);
    if (HasEventNotify(ppEvent::AutoSearchFieldCreated)) {
        TraParamList params;
        params.AddParam(QStringLiteral("aAutoSearchField"), TraDataType::daClass, false, false, QString(),
                        &TppAutoSearchField::StaticClass());
        classes::TObject *value = field;
        params.SetParamValuePointer(0, &value);
        SendEventNotify(this, ppEvent::AutoSearchFieldCreated, &params);
        // A handler may free the field, which takes it off the list.
        if (IndexOfChild(field) < 0)
            return nullptr;
    }
    return field;
}

TppAutoSearchField *TppReport::AutoSearchCriteriaByName(const QString &aDataPipelineName,
                                                        const QString &aFieldName) const
{
    for (TppAutoSearchField *field : m_autoSearchFields)
        if (field->DataPipelineName().compare(aDataPipelineName, Qt::CaseInsensitive) == 0 &&
            field->FieldName().compare(aFieldName, Qt::CaseInsensitive) == 0)
            return field;
    return nullptr;
}

QString TppReport::AutoSearchDescription()
{
    QString text;
    for (TppAutoSearchField *field : m_autoSearchFields) {
        field->SetFirstField(text.isEmpty());
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += field->GetDescription();
    }
    return text;
}

void TppReport::GetAutoSearchDescriptionLines(classes::TStrings &aLines)
{
    aLines.Clear();
    for (TppAutoSearchField *field : m_autoSearchFields) {
        field->SetFirstField(aLines.Count() == 0);
        if (!rtl::VarToStr(field->Value()).isEmpty())
            aLines.Add(field->GetDescription());
    }
}

namespace {

// The handler first, then the event, unless the handler freed the report.
void reportAutoSearchNotify(TppReport &aReport, classes::TNotifyEvent &aHandler, int aEventID)
{
    const QPointer<QObject> alive = aReport.Guard();
    if (aHandler)
        aHandler(&aReport);
    if (alive)
        aReport.SendEventNotify(&aReport, aEventID, nullptr);
}

} // namespace

void TppReport::DoBeforeAutoSearchDialogCreate()
{
    reportAutoSearchNotify(*this, BeforeAutoSearchDialogCreate, ppEvent::BeforeAutoSearchDialogCreate);
}

void TppReport::DoAfterAutoSearchDialogCreate()
{
    reportAutoSearchNotify(*this, AfterAutoSearchDialogCreate, ppEvent::AfterAutoSearchDialogCreate);
}

void TppReport::DoOnAutoSearchDialogClose()
{
    reportAutoSearchNotify(*this, OnAutoSearchDialogClose, ppEvent::OnAutoSearchDialogClose);
}

void TppReport::DoOnGetAutoSearchValues()
{
    reportAutoSearchNotify(*this, OnGetAutoSearchValues, ppEvent::OnGetAutoSearchValues);
}

void TppReport::freeAutoSearchDialog()
{
    if (TppCustomAutoSearchDialog *dialog = m_autoSearchDialog) {
        m_autoSearchDialog = nullptr;
        dialog->OnCloseNotify.Clear();
        delete dialog;
    }
    m_autoSearchGroups.reset();
}

bool TppReport::ExecuteAutoSearchDialog()
{
    const QPointer<QObject> alive = Guard();
    DoBeforeAutoSearchDialogCreate();
    if (!alive)
        return false;
    if (!ShowAutoSearchDialog())
        return true;
    // A dialog still there from an earlier run that was left goes first.
    freeAutoSearchDialog();
    auto *dialog = ppCreateForm<TppCustomAutoSearchDialog>();
    if (!dialog)
        return true;
    m_autoSearchDialog = dialog;
    const QPointer<QObject> dialogAlive = dialog->Guard();
    dialog->SetLanguageIndex(LanguageIndex());
    dialog->SetReport(this);
    DoAfterAutoSearchDialogCreate();
    if (!alive)
        return false;
    if (!dialogAlive || m_autoSearchDialog != dialog) {
        m_autoSearchDialog = nullptr;
        return false;
    }
    if (m_autoSearchFields.empty()) {
        freeAutoSearchDialog();
        return true;
    }
    m_autoSearchGroups = std::make_unique<TppAutoSearchGroups>(nullptr);
    m_autoSearchGroups->CreateGroups(m_autoSearchFields);
    dialog->SetAutoSearchGroups(m_autoSearchGroups.get());
    dialog->OnCloseNotify.Set([this](classes::TObject *) { DoOnAutoSearchDialogClose(); });
    dialog->Init();
    const int result = dialog->ShowModal();
    if (!alive)
        return false;
    bool accepted = false;
    if (result == ppModalResultOK) {
        Reset();
        if (auto *engine = dynamic_cast<TppEngine *>(Engine()))
            engine->Reset();
        if (!m_autoSearchPrinting && alive)
            DoOnGetAutoSearchValues();
        accepted = true;
    }
    if (!alive)
        return false;
    if (!m_autoSearchPrinting)
        freeAutoSearchDialog();
    return accepted;
}

void TppReport::Print()
{
    const QPointer<QObject> alive = Guard();
    bool goOn = true;
    {
        // A handler that throws must not leave the report inside Print: a
        // later search on its own would hand no values over.
        m_autoSearchPrinting = true;
        const auto leave = qScopeGuard([this, &alive] {
            if (!alive)
                return;
            freeAutoSearchDialog();
            m_autoSearchPrinting = false;
        });
        if (ShowAutoSearchDialog())
            goOn = ExecuteAutoSearchDialog();
        if (!alive)
            return;
        TppCustomEngine *engine = Engine();
        if (goOn && !m_autoSearchFields.empty() && !(engine && (engine->EngineState() & ppEngineState::Started)))
            DoOnGetAutoSearchValues();
        if (!alive)
            return;
    }
    if (goOn)
        TppBandedReport::Print();
}

} // namespace report
