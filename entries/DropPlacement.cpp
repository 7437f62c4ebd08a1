#include "entries/DropPlacement.h"

DropPlacement PlaceDrop(DropTarget target, bool copiesGroup)
{
    switch (target) {
    case DropTarget::RootEntry:
        return {NewParent::RootEntry, InsertAfter::ClipboardBranch};
    case DropTarget::TopLevelEntry:
        if (copiesGroup)
            return {NewParent::RootEntry, InsertAfter::Target};
        return {NewParent::Target, InsertAfter::FirstChild};
    case DropTarget::ChildEntry:
    default:
        if (copiesGroup)
            return {NewParent::RootEntry, InsertAfter::TargetParent};
        return {NewParent::TargetParent, InsertAfter::Target};
    }
}
