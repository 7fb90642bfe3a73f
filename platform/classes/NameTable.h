#pragma once

// A table of items by name (compared without regard to ASCII case) that
// keeps no copy of the names: an item's name is read from the item itself.
// Open addressing in one array, so a lookup touches little memory; streams
// look up every property and every reference by name.

#include "platform/classes/PropInfo.h"

#include <cstddef>
#include <vector>

namespace classes {

template <class Item, class View, View (*KeyOf)(const Item *)>
class TNameTable
{
public:
    Item *Find(View name) const
    {
        if (m_count == 0)
            return nullptr;
        const size_t hash = TNameHash()(name);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot &s = m_slots[i];
            if (!s.item)
                return nullptr;
            if (s.hash == hash && TNameEqual()(KeyOf(s.item), name))
                return s.item;
        }
    }

    // Adds the item under its name, which the caller has found free.
    void Add(Item *item)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        place(Slot{TNameHash()(KeyOf(item)), item});
        ++m_count;
    }

    // Removes the item, found by its current name.
    void Erase(const Item *item)
    {
        if (m_count == 0)
            return;
        const size_t mask = m_slots.size() - 1;
        size_t i = TNameHash()(KeyOf(item)) & mask;
        while (m_slots[i].item && m_slots[i].item != item)
            i = (i + 1) & mask;
        if (!m_slots[i].item)
            return;
        // Shift the following entries of the run back, so that no lookup
        // stops early at the hole.
        for (size_t j = (i + 1) & mask; m_slots[j].item; j = (j + 1) & mask) {
            const size_t home = m_slots[j].hash & mask;
            if (((j - home) & mask) >= ((j - i) & mask)) {
                m_slots[i] = m_slots[j];
                i = j;
            }
        }
        m_slots[i] = Slot{};
        --m_count;
    }

    size_t Size() const { return m_count; }
    bool Empty() const { return m_count == 0; }

private:
    struct Slot
    {
        size_t hash = 0;
        Item *item = nullptr;
    };

    void place(const Slot &slot)
    {
        const size_t mask = m_slots.size() - 1;
        size_t i = slot.hash & mask;
        while (m_slots[i].item)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }

    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.empty() ? 8 : old.size() * 2, Slot{});
        for (const Slot &s : old)
            if (s.item)
                place(s);
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

} // namespace classes
