#pragma once

// IppOutlineParticipant: what the outline asks of an object that has a
// place in it (a report, a subreport, a group): the participants below it,
// the one above it, the kind of node creator it wants, its outline settings,
// and the notice that those settings changed.

#include <vector>

namespace classes {
class TMetaClass;
} // namespace classes

namespace report {

class TppCommunicator;
class TppOutlineSettings;

class IppOutlineParticipant
{
public:
    // Filled anew on every call; the participant keeps the list.
    virtual const std::vector<TppCommunicator *> &GetParticipants() = 0;
    // The participant whose list holds this one, nullptr for none.
    virtual TppCommunicator *GetParentParticipant() = 0;
    // A descendant of TppOutlineNodeCreator.
    virtual const classes::TMetaClass &GetNodeCreatorClass() const = 0;
    virtual TppOutlineSettings *GetOutlineSettings() const = 0;
    virtual void OutlineChanged() = 0;

protected:
    ~IppOutlineParticipant() = default;
};

// The participant below aRoot (aRoot included) whose participant list holds
// aParticipant, searched list by list in order; nullptr when none does.
TppCommunicator *ppFindParentParticipant(TppCommunicator *aRoot, TppCommunicator *aParticipant);

} // namespace report
