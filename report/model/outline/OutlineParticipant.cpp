#include "report/model/outline/OutlineParticipant.h"

#include "report/model/objects/Communicator.h"

#include <algorithm>

namespace report {

TppCommunicator *ppFindParentParticipant(TppCommunicator *aRoot, TppCommunicator *aParticipant)
{
    auto *root = dynamic_cast<IppOutlineParticipant *>(aRoot);
    if (!root)
        return nullptr;
    // The root refills its list when asked again further down: a copy.
    const std::vector<TppCommunicator *> participants = root->GetParticipants();
    if (std::find(participants.begin(), participants.end(), aParticipant) != participants.end())
        return aRoot;
    for (TppCommunicator *participant : participants)
        if (participant != aRoot)
            if (TppCommunicator *found = ppFindParentParticipant(participant, aParticipant))
                return found;
    return nullptr;
}

} // namespace report
