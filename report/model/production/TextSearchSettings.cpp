#include "report/model/production/TextSearchSettings.h"

#include "report/model/base/Messages.h"
#include "report/model/objects/Communicator.h"
#include "report/model/production/SearchErrors.h"

#include "platform/classes/ClassBuilder.h"

#include <QLoggingCategory>

#include <functional>

namespace report {

namespace {

Q_LOGGING_CATEGORY(textSearchSettingsLog, "zarvello.report.search")

// Tells the settings when it is being freed, before its links hear of it.
class TextSearchSettingsWalkieTalkie : public TppCommunicator
{
public:
    explicit TextSearchSettingsWalkieTalkie(std::function<void(TppCommunicator &)> aFreeing)
        : TppCommunicator(nullptr)
        , m_freeing(std::move(aFreeing))
    {}
    ~TextSearchSettingsWalkieTalkie() override { BeforeDestruction(); }
    void BeforeDestruction() override
    {
        if (!IsDestroying() && m_freeing)
            m_freeing(*this);
        TppCommunicator::BeforeDestruction();
    }

private:
    std::function<void(TppCommunicator &)> m_freeing;
};

} // namespace

const classes::TMetaClass &TppTextSearchSettings::StaticClass()
{
    using S = TppTextSearchSettings;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, classes::TPersistent>("TppTextSearchSettings", [](classes::TClassBuilder<S> &c) {
            c.Boolean("CaseSensitive", &S::CaseSensitive, &S::SetCaseSensitive).Default(0);
            c.String("DefaultString", &S::DefaultString, &S::SetDefaultString);
            c.Boolean("Enabled", &S::Enabled, &S::SetEnabled);
            c.Boolean("ShowAll", &S::ShowAll, &S::SetShowAll).Default(0);
            c.Boolean("SearchFromCurrentPage", &S::SearchFromCurrentPage, &S::SetSearchFromCurrentPage).Default(0);
            c.Boolean("Visible", &S::Visible, &S::SetVisible).Default(0);
            c.Boolean("WholeWord", &S::WholeWord, &S::SetWholeWord).Default(0);
        });
    return meta;
}

TppTextSearchSettings::TppTextSearchSettings()
    : m_defaultString(ppLoadStr(1069))
{
    m_walkieTalkie = newWalkieTalkie();
}

std::unique_ptr<TppCommunicator> TppTextSearchSettings::newWalkieTalkie()
{
    auto walkieTalkie = std::make_unique<TextSearchSettingsWalkieTalkie>(
        [this](TppCommunicator &aGoing) { walkieTalkieFreedFromOutside(aGoing); });
    walkieTalkie->OnNotify.Set([this](classes::TObject *Sender, TppCommunicator *aCommunicator, int aOperation) {
        WalkieTalkieNotifyEvent(Sender, aCommunicator, aOperation);
    });
    return walkieTalkie;
}

// Nothing can be thrown out of the freeing, and the settings must not free
// it a second time: the misuse is logged, and a new walkie-talkie takes over
// its links so that they still learn when the settings go.
void TppTextSearchSettings::walkieTalkieFreedFromOutside(TppCommunicator &aGoing)
{
    if (m_freeing || m_walkieTalkie.get() != &aGoing)
        return;
    qCCritical(textSearchSettingsLog, "TppTextSearchSettings.WalkieTalkieNotifyEvent: Don' free the walkietalkie!");
    (void)m_walkieTalkie.release();
    m_walkieTalkie = newWalkieTalkie();
    for (int i = 0; i < aGoing.GetNotifyCount(); ++i)
        m_walkieTalkie->AddNotify(aGoing.GetNotify(i));
}

TppTextSearchSettings::~TppTextSearchSettings()
{
    m_freeing = true;
    m_walkieTalkie->OnNotify.Clear();
    // The objects linked to the walkie-talkie know it by WalkieTalkie()
    // while it tells them that it goes, so the pointer stays until then.
    delete m_walkieTalkie.get();
    (void)m_walkieTalkie.release();
}

void TppTextSearchSettings::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppTextSearchSettings *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    m_caseSensitive = other->m_caseSensitive;
    m_enabled = other->m_enabled;
    m_defaultString = other->m_defaultString;
    m_showAll = other->m_showAll;
    m_searchOnStart = other->m_searchOnStart;
    m_searchFromCurrentPage = other->m_searchFromCurrentPage;
    m_visible = other->m_visible;
    m_wholeWord = other->m_wholeWord;
}

void TppTextSearchSettings::SetVisible(bool aValue)
{
    m_visible = m_enabled && aValue;
}

void TppTextSearchSettings::SetSearchOnStart(bool aValue)
{
    m_searchOnStart = aValue;
    if (aValue)
        SetVisible(true);
}

void TppTextSearchSettings::WalkieTalkieNotifyEvent(classes::TObject *, TppCommunicator *aCommunicator, int aOperation)
{
    if (aOperation == ppNotify::Remove && aCommunicator == m_walkieTalkie.get() && !m_freeing)
        throw ESearchError(
            QStringLiteral("TppTextSearchSettings.WalkieTalkieNotifyEvent: Don' free the walkietalkie!"));
}

} // namespace report
