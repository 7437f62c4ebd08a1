#include "entries/EntryTable.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <map>
#include <random>
#include <string>

// Random adds and erases against a plain map, over ids that run in a row
// (as the tree gives them) and ids that clash in their slots, through the
// table's growth and erasures that wrap around its end.
TEST(EntryTable, HoldsWhatAMapHoldsAndKeepsEveryValueInPlace)
{
    for (const std::uint32_t step : {1u, 1u << 20, 0x10000001u}) {
        std::mt19937 random(step);
        EntryTable<std::uint32_t, std::string> table;
        std::map<std::uint32_t, std::string> expected;
        std::map<std::uint32_t, const std::string*> places;
        for (int round = 0; round < 20000; ++round) {
            const std::uint32_t id = static_cast<std::uint32_t>(random() % 300 + 1) * step;
            if (expected.count(id) == 0 && random() % 3 != 0) {
                const std::string& added = table.Add(id, std::to_string(round));
                expected[id] = added;
                places[id] = &added;
            } else {
                table.Erase(id);
                expected.erase(id);
                places.erase(id);
            }
            if (round % 97 == 0)
                table.Reserve(table.Size() + random() % 50);
            ASSERT_EQ(table.Size(), expected.size());
        }
        for (std::uint32_t k = 1; k <= 300; ++k) {
            const std::uint32_t id = k * step;
            const auto found = expected.find(id);
            if (found == expected.end()) {
                ASSERT_EQ(table.Find(id), nullptr) << id;
            } else {
                ASSERT_EQ(table.Find(id), places[id]) << id;
                ASSERT_EQ(*table.Find(id), found->second) << id;
            }
        }
        EXPECT_EQ(table.Find(0), nullptr);
    }
}
