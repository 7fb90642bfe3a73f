#pragma once

// Life tokens of the grid's objects. A handler the grid calls (an event, a
// veto hook, a virtual a descendant overrides) may free or move the column,
// the band or the tree list it was called about. A routine that calls out
// holds what it uses afterwards by the object's token, never by a raw
// pointer or an index; after the call it checks its own object and the one
// it acts on, and ends its step when one has gone. An index kept across the
// call is found again from the object (HeldIndex). Nodes have their own
// token of this kind, TreeListNodeRef.

#include <memory>
#include <utility>

namespace grid {

// Expired once the object it was taken from has gone.
using TreeListAlive = std::weak_ptr<const char>;

// The owner's part of a token: a member of the object, ended by its
// destructor once the object has left its tree list (or with the member).
class TreeListLife
{
public:
    TreeListAlive token() const { return m_alive; }
    void end() { m_alive.reset(); }

private:
    std::shared_ptr<const char> m_alive = std::make_shared<const char>('\0');
};

// Whether two tokens were taken from the same object; also after it went.
inline bool SameLife(const TreeListAlive &a, const TreeListAlive &b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

// An index held across a call-out together with the token of the object it
// named. A model without objects (no token) keeps the index as it was.
class HeldIndex
{
public:
    HeldIndex() = default;
    HeldIndex(int index, TreeListAlive alive)
        : m_index(index)
        , m_alive(std::move(alive))
        , m_tracked(!SameLife(m_alive, TreeListAlive()))
    {}

    // The object's index now among count objects, aliveAt(i) giving the
    // token of the i-th; -1 once the object has gone. Untracked: the index.
    template <typename AliveAt>
    int find(int count, AliveAt &&aliveAt) const
    {
        if (!m_tracked)
            return m_index;
        if (m_alive.expired())
            return -1;
        if (m_index >= 0 && m_index < count && SameLife(aliveAt(m_index), m_alive))
            return m_index;
        for (int i = 0; i < count; ++i)
            if (SameLife(aliveAt(i), m_alive))
                return i;
        return -1;
    }
    // The index as it was taken.
    int taken() const { return m_index; }

private:
    int m_index = -1;
    TreeListAlive m_alive;
    bool m_tracked = false;
};

} // namespace grid
