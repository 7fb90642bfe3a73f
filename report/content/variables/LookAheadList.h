#pragma once

// TppLookAheadList: the values a variable or data calculation reached at the
// end of each of its reset segments, kept per look-ahead key while the first
// pass runs. Each value is held by a look-ahead draw command whose listener
// hears the owner's event 67, as the draw commands on the pages do; a later
// value of a key is sent to every listener of that key.
//
// Also the report facts both kinds of control ask while they key their
// values: the engine's pass, page and column, and the traversal counters.

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace report {

class TppCommunicator;
class TppComponent;
class TppCustomEngine;
class TppCustomReport;
class TppDataPipeline;
class TppDrawCommand;
class TppDrawVariable;

class TppLookAheadList
{
public:
    explicit TppLookAheadList(TppCommunicator *aOwner);
    ~TppLookAheadList();
    TppLookAheadList(const TppLookAheadList &) = delete;
    TppLookAheadList &operator=(const TppLookAheadList &) = delete;

    // A known key: the owner sends event 67 with key, count and text. A new
    // key gets a holder that listens from then on.
    void AddOrUpdate(const QString &aKey, int32_t aTraversalCount, const QString &aText);
    // The text held for the key, else aDefault.
    QString GetValue(const QString &aKey, const QString &aDefault);
    // Every holder stops listening to the owner.
    void UnsubscribeAll();
    void Clear();
    int Count() const { return int(m_holders.size()); }

private:
    // The first holder of the key. Every holder before it, and every holder
    // when none has the key, stops listening: a run of keys never comes
    // back to an earlier one. Holders already passed over are not walked
    // again, so that a look-up stays cheap however many keys came before.
    TppDrawVariable *find(const QString &aKey);
    void silence(size_t aEnd);

    TppCommunicator *m_owner;
    std::vector<std::unique_ptr<TppDrawVariable>> m_holders;
    QHash<QString, size_t> m_firstIndex;
    size_t m_silencedUpTo = 0;
};

// ---- What look-ahead keys and values are made of ----

// The report the component prints in, when it is a full report.
TppCustomReport *ppLookAheadReport(const TppComponent &aComponent);
// The report whose run the component's report takes part in: itself, or
// for a subreport's child the report at the top of the tree (nullptr for
// a child outside a subreport). Its passes are the ones that count.
TppCustomReport *ppLookAheadMainReport(const TppComponent &aComponent);
TppCustomEngine *ppLookAheadEngine(const TppComponent &aComponent);
// Whether a list of values computed ahead is kept as the component is
// prepared again: in a subreport's child, which starts once per record of
// its parent, the values of all its runs are read in the second pass.
bool ppLookAheadKeepList(const TppComponent &aComponent, bool aHasList);
// The main report runs its first pass (a one-pass report runs only that).
bool ppLookAheadFirstPass(const TppComponent &aComponent);
// The engine's absolute page number and current column, 0 without one.
int ppLookAheadPageNo(const TppComponent &aComponent);
int ppLookAheadColumn(const TppComponent &aComponent);
// The main report's absolute page number, under which page states are kept.
int ppLookAheadMainPageNo(const TppComponent &aComponent);
// In a subreport's child, the child's place in the tree of subreports, so
// that each run of the subreport keeps values of its own; else empty.
QString ppLookAheadKeyPrefix(const TppComponent &aComponent, bool aActive);
// The report's detail band's pipeline, else its main pipeline.
TppDataPipeline *ppLookAheadDetailPipeline(const TppComponent &aComponent);
// "%8d|%8d" of the two numbers.
QString ppLookAheadKey(int aResetNo, int aColumnNo);

// ---- What variables and data calculations share ----

// Ignored while the report prints; switched on outside loading, the main
// report runs two passes, which look-ahead needs.
void ppSetLookAhead(TppComponent &aControl, bool &aField, bool aValue);
// With a main report of two passes.
bool ppLookAheadActive(const TppComponent &aControl, bool aLookAhead);
// The command shows the value held for the key; on the first pass it goes
// on listening to aOwner for later values of the key.
void ppLookAheadToDrawCommand(TppCommunicator &aOwner, TppLookAheadList &aList, const QString &aKey,
                              TppDrawCommand *aDrawCommand);

} // namespace report
