#pragma once
#include "entries/FlatSlots.h"
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// A table from entry ids to values. A value stays where it was made until
// it is erased, so that a pointer or reference to one holds while others
// come and go. The values are made in blocks of many and a freed one is
// made again, and the ids are looked up in one flat array: loading, saving
// and merging make and look up thousands of entries, and a table of linked
// buckets, each value allocated alone, spent most of their time there. 0 is
// no id and cannot be a key.
template <typename Id, typename Value>
class EntryTable {
public:
    Value* Find(Id id) { return m_values[SlotOf(id)]; }
    const Value* Find(Id id) const { return m_values[SlotOf(id)]; }
    size_t Size() const { return m_size; }

    // Makes room for `count` values in all, so that adding that many
    // never allocates; should memory run short, the values stay as they
    // were.
    void Reserve(size_t count)
    {
        if (FlatSlotsFor(count) > m_keys.size())
            Rehash(FlatSlotsFor(count));
        if (count > m_size + m_free.size())
            AddBlock(count - m_size - m_free.size());
    }

    // A value as Value() makes it under `id`, which has none, to be filled
    // in place; should memory run short, the table stays as it was.
    Value& Add(Id id)
    {
        Reserve(m_size + 1);
        size_t slot = Home(id);
        while (m_keys[slot] != 0)
            slot = Next(slot);
        Value* made = m_free.back();
        m_free.pop_back();
        m_keys[slot] = id;
        m_values[slot] = made;
        ++m_size;
        return *made;
    }

    Value& Add(Id id, Value value)
    {
        Value& made = Add(id);
        made = std::move(value);
        return made;
    }

    // Nothing for an id without a value. Never throws.
    void Erase(Id id) noexcept
    {
        size_t slot = SlotOf(id);
        Value* erased = m_values[slot];
        if (erased == nullptr)
            return;
        // Its texts go now; the room stays for the next value. A block's
        // room was made in the list of free values when the block came.
        *erased = Value();
        m_free.push_back(erased);
        --m_size;
        // Each key after the freed slot in its run moves back into it when
        // its own slot is not between the two: a later look-up then finds
        // it without marks of erased keys to step over.
        for (size_t next = Next(slot); m_keys[next] != 0; next = Next(next)) {
            const size_t home = Home(m_keys[next]);
            const bool stays = slot <= next ? (slot < home && home <= next) : (slot < home || home <= next);
            if (stays)
                continue;
            m_keys[slot] = m_keys[next];
            m_values[slot] = m_values[next];
            slot = next;
        }
        m_keys[slot] = 0;
        m_values[slot] = nullptr;
    }

private:
    size_t Home(Id id) const { return FlatHomeSlot(id, m_keys.size()); }
    size_t Next(size_t slot) const { return (slot + 1) & (m_keys.size() - 1); }

    // The slot of `id`, or an empty one when it has no value.
    size_t SlotOf(Id id) const
    {
        size_t slot = Home(id);
        while (m_keys[slot] != 0 && m_keys[slot] != id)
            slot = Next(slot);
        return slot;
    }

    void Rehash(size_t slots)
    {
        std::vector<Id> keys(slots, 0);
        std::vector<Value*> values(slots, nullptr);
        // Nothing below allocates.
        keys.swap(m_keys);
        values.swap(m_values);
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == 0)
                continue;
            size_t slot = Home(keys[i]);
            while (m_keys[slot] != 0)
                slot = Next(slot);
            m_keys[slot] = keys[i];
            m_values[slot] = values[i];
        }
    }

    // A block of at least `more` values, and at least half as many as
    // there are, so that adding one by one makes few blocks.
    void AddBlock(size_t more)
    {
        const size_t held = m_size + m_free.size();
        const size_t count = std::max({more, held / 2, size_t{16}});
        m_free.reserve(held + count);
        m_blocks.reserve(m_blocks.size() + 1);
        m_blocks.push_back(std::make_unique<Value[]>(count));
        // The last made first, so that values are taken in the order they lie.
        for (size_t i = count; i-- > 0;)
            m_free.push_back(&m_blocks.back()[i]);
    }

    std::vector<Id> m_keys = std::vector<Id>(16, 0);
    std::vector<Value*> m_values = std::vector<Value*>(16, nullptr);
    std::vector<std::unique_ptr<Value[]>> m_blocks;
    // Every value of the blocks not in the table, with room for all of them.
    std::vector<Value*> m_free;
    size_t m_size = 0;
};
