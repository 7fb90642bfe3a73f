#pragma once

// The search options of a report's preview. Other objects that keep a
// reference to the settings link up with their walkie-talkie, a communicator
// the settings own, and so learn when the settings go.

#include "platform/classes/Persistent.h"

#include <QString>

#include <memory>

namespace report {

class TppCommunicator;

class TppTextSearchSettings : public classes::TPersistent
{
    ZVO_CLASS(TppTextSearchSettings)
public:
    // DefaultString message 1069, Enabled True.
    TppTextSearchSettings();
    ~TppTextSearchSettings() override;

    // All eight values.
    void Assign(const classes::TPersistent *source) override;

    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool aValue) { m_caseSensitive = aValue; }
    const QString &DefaultString() const { return m_defaultString; }
    void SetDefaultString(const QString &aValue) { m_defaultString = aValue; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool aValue) { m_enabled = aValue; }
    bool ShowAll() const { return m_showAll; }
    void SetShowAll(bool aValue) { m_showAll = aValue; }
    bool SearchFromCurrentPage() const { return m_searchFromCurrentPage; }
    void SetSearchFromCurrentPage(bool aValue) { m_searchFromCurrentPage = aValue; }
    bool Visible() const { return m_visible; }
    // False whenever the search is not Enabled.
    void SetVisible(bool aValue);
    bool WholeWord() const { return m_wholeWord; }
    void SetWholeWord(bool aValue) { m_wholeWord = aValue; }
    bool SearchOnStart() const { return m_searchOnStart; }
    // True also makes the search Visible.
    void SetSearchOnStart(bool aValue);

    TppCommunicator *WalkieTalkie() const { return m_walkieTalkie.get(); }

    // The walkie-talkie's notify handler: a removal notice for the
    // walkie-talkie itself, while the settings are not freeing it, raises
    // ESearchError.
    virtual void WalkieTalkieNotifyEvent(classes::TObject *Sender, TppCommunicator *aCommunicator, int aOperation);

private:
    std::unique_ptr<TppCommunicator> newWalkieTalkie();
    void walkieTalkieFreedFromOutside(TppCommunicator &aGoing);

    bool m_caseSensitive = false;
    QString m_defaultString;
    bool m_enabled = true;
    bool m_showAll = false;
    bool m_searchFromCurrentPage = false;
    bool m_visible = false;
    bool m_wholeWord = false;
    bool m_searchOnStart = false;
    bool m_freeing = false;
    std::unique_ptr<TppCommunicator> m_walkieTalkie;
};

} // namespace report
