#include "report/model/forms/DialogBases.h"

#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/templates/Template.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/StringList.h"

#include <QTimer>

namespace report {

#define ZVO_REPORT_DIALOG_CLASS(Name_)                                                                                 \
    const classes::TMetaClass &Name_::StaticClass()                                                                    \
    {                                                                                                                  \
        static const classes::TMetaClass meta = classes::MakeClass<Name_, TppCustomForm>(#Name_);                      \
        return meta;                                                                                                   \
    }
ZVO_REPORT_DIALOG_CLASS(TppCustomPreviewer)
ZVO_REPORT_DIALOG_CLASS(TppCustomPrintDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomPageSettingDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomCancelDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomCalcTimingDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomNoDataDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomCalcDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomPositionDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomChoiceDialog)
const classes::TMetaClass &TppCustomShiftDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomShiftDialog, TppCustomChoiceDialog>("TppCustomShiftDialog");
    return meta;
}
const classes::TMetaClass &TppCustomDrillDownDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomDrillDownDialog, TppCustomChoiceDialog>("TppCustomDrillDownDialog");
    return meta;
}
ZVO_REPORT_DIALOG_CLASS(TppCustomBandPositionDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomCalcOrderDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomMemoDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomDBTextDialog)

const classes::TMetaClass &TppCustomDBCalcDialog::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomDBCalcDialog, TppCustomDBTextDialog>("TppCustomDBCalcDialog");
    return meta;
}
ZVO_REPORT_DIALOG_CLASS(TppCustomFormatDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomBarCodeDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomRTFEditor)
ZVO_REPORT_DIALOG_CLASS(TppCustomAutoSearchDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomTextSearchSettingsDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomTemplateDialog)
ZVO_REPORT_DIALOG_CLASS(TppCustomTemplateErrorDialog)
#undef ZVO_REPORT_DIALOG_CLASS

// ---- Print dialog -------------------------------------------------------------

TppCustomPrintDialog::TppCustomPrintDialog(classes::TComponent *aOwner)
    : TppCustomForm(aOwner)
    , m_pageRequest(std::make_unique<TppPageRequest>())
{}

TppCustomPrintDialog::~TppCustomPrintDialog() = default;

void TppCustomPrintDialog::SetPageRequest(const TppPageRequest *aPageRequest)
{
    if (aPageRequest)
        m_pageRequest->Assign(aPageRequest);
    else
        m_pageRequest->Reset();
}

// ---- Page setting dialog ------------------------------------------------------

TppCustomPageSettingDialog::TppCustomPageSettingDialog(classes::TComponent *aOwner)
    : TppCustomForm(aOwner)
    , m_pageList(std::make_unique<classes::TStringList>())
{}

TppCustomPageSettingDialog::~TppCustomPageSettingDialog() = default;

// ---- Cancel dialog ------------------------------------------------------------

TppCustomCancelDialog::TppCustomCancelDialog(classes::TComponent *aOwner)
    : TppCustomForm(aOwner)
    , m_timer(std::make_unique<QTimer>())
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(10);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { TimerTick(); });
}

TppCustomCancelDialog::~TppCustomCancelDialog()
{
    m_timer->stop();
}

void TppCustomCancelDialog::SetStatusText(const QString &aText)
{
    m_statusText = aText;
    ShowStatus();
}

int TppCustomCancelDialog::ShowModalAndPrint()
{
    Modal = true;
    m_timer->start();
    return ShowModal();
}

bool TppCustomCancelDialog::TimerEnabled() const
{
    return m_timer->isActive();
}

int TppCustomCancelDialog::TimerInterval() const
{
    return m_timer->interval();
}

void TppCustomCancelDialog::TimerTick()
{
    m_timer->stop();
    const QPointer<QObject> alive = Guard();
    try {
        if (OnPrintNotify)
            OnPrintNotify(this);
    } catch (...) {
        if (alive)
            SetModalResult(ppModalResultCancel);
    }
}

// ---- Calculation timing dialog --------------------------------------------------

TppCustomCalcTimingDialog::TppCustomCalcTimingDialog(classes::TComponent *aOwner)
    : TppCustomForm(aOwner)
    , m_calcComponents(std::make_unique<classes::TStringList>())
    , m_resetComponents(std::make_unique<classes::TStringList>())
{}

TppCustomCalcTimingDialog::~TppCustomCalcTimingDialog() = default;

void TppCustomCalcTimingDialog::SetCalcComponents(const classes::TStringList *aList)
{
    m_calcComponents->Clear();
    if (aList)
        m_calcComponents->Assign(aList);
}

void TppCustomCalcTimingDialog::SetResetComponents(const classes::TStringList *aList)
{
    m_resetComponents->Clear();
    if (aList)
        m_resetComponents->Assign(aList);
}

// ---- TppCustomTemplateDialog ----------------------------------------------------------

QStringList TppCustomTemplateDialog::TemplateNames() const
{
    QStringList names;
    TppDataPipeline *pipeline = DatabaseSettings ? DatabaseSettings->DataPipeline() : nullptr;
    if (!pipeline || DatabaseSettings->NameField().isEmpty())
        return names;
    if (!pipeline->GetActive())
        pipeline->Open();
    pipeline->First();
    while (!pipeline->Eof()) {
        names.append(pipeline->GetFieldAsString(DatabaseSettings->NameField()));
        pipeline->Next();
    }
    return names;
}

bool TppCustomTemplateDialog::locate(const QString &aName) const
{
    TppDataPipeline *pipeline = DatabaseSettings ? DatabaseSettings->DataPipeline() : nullptr;
    return pipeline && pipeline->Locate(DatabaseSettings->NameField(), aName, 1);
}

bool TppCustomTemplateDialog::AcceptName(const QString &aName) const
{
    if (aName.isEmpty())
        return false;
    const bool there = locate(aName);
    if (DialogMode == Mode::Open) {
        if (!there)
            ppShowMessage(ppLoadStr(45) + QLatin1Char(' ') + aName, TppMessageKind::Warning);
        return there;
    }
    if (!there)
        return true;
    return ppConfirmMessage(ppLoadStrFormat(523, {aName}) + QStringLiteral("\n\n") + ppLoadStr(494),
                            TppMessageKind::Warning);
}

} // namespace report
