#pragma once
#include "entries/EntrySnapshot.h"
#include "entries/FlatSlots.h"
#include <cstddef>
#include <utility>
#include <vector>

// A table from entries' identities to values, in two flat arrays: merging
// and loading look up tens of thousands of identities, and a table that
// allocated for each would spend most of their time on it. 0 is no
// identity and cannot be a key. The values live in the arrays: an insertion
// that adds an identity may grow them and move every value, so a pointer to
// a value holds only until the next such insertion.
template <typename Value>
class UidTable {
public:
    explicit UidTable(size_t expected = 0) { Rehash(FlatSlotsFor(expected)); }

    // The value of `uid`, made from `value` when there was none, and
    // whether it was made. Only making one moves the values.
    std::pair<Value*, bool> Insert(EntryUid uid, Value value)
    {
        size_t slot = Slot(uid);
        while (m_keys[slot] != 0 && m_keys[slot] != uid)
            slot = (slot + 1) & (m_keys.size() - 1);
        if (m_keys[slot] == uid)
            return {&m_values[slot], false};
        if ((m_size + 1) * 10 > m_keys.size() * 7) {
            Rehash(m_keys.size() * 2);
            return Insert(uid, std::move(value));
        }
        m_keys[slot] = uid;
        m_values[slot] = std::move(value);
        ++m_size;
        return {&m_values[slot], true};
    }

    const Value* Find(EntryUid uid) const
    {
        for (size_t slot = Slot(uid); m_keys[slot] != 0; slot = (slot + 1) & (m_keys.size() - 1))
            if (m_keys[slot] == uid)
                return &m_values[slot];
        return nullptr;
    }

    bool Contains(EntryUid uid) const { return Find(uid) != nullptr; }
    size_t Size() const { return m_size; }

private:
    size_t Slot(EntryUid uid) const { return FlatHomeSlot(uid, m_keys.size()); }

    void Rehash(size_t slots)
    {
        std::vector<EntryUid> keys(slots, 0);
        std::vector<Value> values(slots);
        keys.swap(m_keys);
        values.swap(m_values);
        m_size = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != 0)
                Insert(keys[i], std::move(values[i]));
    }

    std::vector<EntryUid> m_keys;
    std::vector<Value> m_values;
    size_t m_size = 0;
};

// Identities alone (the value says nothing).
using UidSet = UidTable<char>;
