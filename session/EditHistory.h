#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/Workspace.h"

/// A selection in workspace frames, as an edit found it or left it.
struct EditSelection {
    uint32_t start = 0;
    uint32_t length = 0;
    bool operator==(const EditSelection&) const = default;
};

/// The undo and redo stacks: each step holds the workspace states before and after one edit
/// and the selections with them. States share their unchanged parts, so the history is
/// unlimited; it holds the files its states name open.
class EditHistory {
public:
    struct Step {
        std::string action;  // "Cut", "Paste", ...: the menu names it
        Workspace::State before;
        Workspace::State after;
        EditSelection selectionBefore;
        EditSelection selectionAfter;
    };

    /// A new edit: it can be undone, and nothing undone can be redone any more.
    void Push(Step step);

    bool CanUndo() const { return !done.empty(); }
    bool CanRedo() const { return !undone.empty(); }
    /// The action the next Undo or Redo reverses or repeats; "" when there is none.
    std::string UndoAction() const;
    std::string RedoAction() const;

    /// Moves the latest step to the redo side and returns it; nullptr when there is none.
    const Step* Undo();
    /// Moves the latest undone step back and returns it; nullptr when there is none.
    const Step* Redo();

    void Clear();

    /// Calls visit with the states before and after every step, undone ones included.
    void ForEachState(const std::function<void(const Workspace::State&)>& visit) const;

private:
    std::vector<Step> done;
    std::vector<Step> undone;
};
