#include "report/model/forms/CustomForm.h"

#include "platform/classes/ClassBuilder.h"

#include <QObject>

namespace report {

const classes::TMetaClass &TppCustomForm::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCustomForm, classes::TComponent>("TppCustomForm");
    return meta;
}

TppCustomForm::TppCustomForm(classes::TComponent *aOwner)
    : TComponent(aOwner)
    , m_sentinel(std::make_unique<QObject>())
{}

TppCustomForm::~TppCustomForm()
{
    DestroyNotify();
}

void TppCustomForm::SetLanguageIndex(int32_t aValue)
{
    m_languageIndex = aValue;
    LanguageChanged();
}

void TppCustomForm::SetReport(classes::TObject *aReport)
{
    m_report = aReport;
    ReportAssigned();
}

void TppCustomForm::DoClose()
{
    if (OnCloseNotify)
        OnCloseNotify(this);
}

bool TppCustomForm::CloseQuery()
{
    if (OnCloseQueryNotify)
        OnCloseQueryNotify(this);
    return true;
}

void TppCustomForm::Activate()
{
    // A handler may clear or replace itself (the producer's runs the job on
    // the first activation only): the call runs on a copy, so its closure
    // lives until it returns.
    if (const classes::TNotifyEvent handler = OnActivateNotify)
        handler(this);
}

void TppCustomForm::DestroyNotify()
{
    if (m_destroyNotified)
        return;
    m_destroyNotified = true;
    if (OnDestroyNotify)
        OnDestroyNotify(this);
}

} // namespace report
