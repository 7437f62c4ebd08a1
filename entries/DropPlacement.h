#pragma once

// Where an item dropped on the entry tree goes.

enum class DropTarget { RootEntry, TopLevelEntry, ChildEntry };
enum class NewParent { RootEntry, Target, TargetParent };
enum class InsertAfter { ClipboardBranch, FirstChild, Target, TargetParent };

struct DropPlacement {
    NewParent parent;
    InsertAfter after;
};

// `copiesGroup`: the drop copies an entry of this tree that has children;
// such a copy always lands on the top level, right after the top-level entry
// on or in which it was dropped, so the tree keeps its three levels.
DropPlacement PlaceDrop(DropTarget target, bool copiesGroup);
