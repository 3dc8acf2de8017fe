#include "session/EditHistory.h"

void EditHistory::Push(Step step) {
    done.push_back(std::move(step));
    undone.clear();
}

std::string EditHistory::UndoAction() const {
    return done.empty() ? std::string() : done.back().action;
}

std::string EditHistory::RedoAction() const {
    return undone.empty() ? std::string() : undone.back().action;
}

const EditHistory::Step* EditHistory::Undo() {
    if (done.empty()) {
        return nullptr;
    }
    undone.push_back(std::move(done.back()));
    done.pop_back();
    return &undone.back();
}

const EditHistory::Step* EditHistory::Redo() {
    if (undone.empty()) {
        return nullptr;
    }
    done.push_back(std::move(undone.back()));
    undone.pop_back();
    return &done.back();
}

void EditHistory::Clear() {
    done.clear();
    undone.clear();
}

void EditHistory::ForEachState(const std::function<void(const Workspace::State&)>& visit) const {
    for (const std::vector<Step>* steps : {&done, &undone}) {
        for (const Step& step : *steps) {
            visit(step.before);
            visit(step.after);
        }
    }
}
