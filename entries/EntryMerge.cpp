#include "entries/EntryMerge.h"

MergeOutcome MergeEntries(const EntrySnapshot&, const EntrySnapshot& ours, const EntrySnapshot&)
{
    MergeOutcome outcome;
    outcome.merged = ours;
    return outcome;
}
