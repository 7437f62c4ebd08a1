#include "entries/EntrySnapshot.h"
#include "entries/EntryTree.h"

EntrySnapshot TakeSnapshot(const EntryTree&)
{
    return EntrySnapshot();
}

bool DecodeSnapshot(std::string_view, EntrySnapshot& out)
{
    out.clear();
    return true;
}
