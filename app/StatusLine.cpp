#include "app/StatusLine.h"

#include <algorithm>

void StatusLine::SetPrompt(std::string text) {
    prompt = std::move(text);
}

void StatusLine::SetProgress(const std::string& topic, std::string text) {
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
        return e.topic == topic && e.kind == Kind::kProgress;
    });
    if (text.empty()) {
        if (it != entries.end()) {
            entries.erase(it);
        }
    } else if (it != entries.end()) {
        it->text = std::move(text);  // the same work going on: it keeps its place
    } else {
        entries.push_back({topic, Kind::kProgress, std::move(text), std::nullopt, nextOrder++});
    }
}

void StatusLine::Post(const std::string& topic, std::string text, Priority priority,
                      Clock::time_point now) {
    Remove(topic, false);
    Entry entry{topic, Kind::kNote, std::move(text), std::nullopt, nextOrder++};
    switch (priority) {
        case Priority::kNote:
            entry.expires = now + kNoteLife;
            break;
        case Priority::kWarning:
            entry.kind = Kind::kWarning;
            entry.expires = now + kWarningLife;
            break;
        case Priority::kError:
            entry.kind = Kind::kError;
            break;
    }
    entries.push_back(std::move(entry));
}

void StatusLine::Withdraw(const std::string& topic) {
    Remove(topic, false);
}

void StatusLine::Remove(const std::string& topic, bool progress) {
    std::erase_if(entries, [&](const Entry& e) {
        return e.topic == topic && (e.kind == Kind::kProgress) == progress;
    });
}

bool StatusLine::Expire(Clock::time_point now) {
    return std::erase_if(entries, [&](const Entry& e) { return e.expires && *e.expires <= now; }) >
           0;
}

bool StatusLine::HasExpiring() const {
    return std::any_of(entries.begin(), entries.end(),
                       [](const Entry& e) { return e.expires.has_value(); });
}

std::vector<const StatusLine::Entry*> StatusLine::Ranked() const {
    std::vector<const Entry*> ranked;
    for (const Entry& e : entries) {
        ranked.push_back(&e);
    }
    std::sort(ranked.begin(), ranked.end(), [](const Entry* a, const Entry* b) {
        return a->kind != b->kind ? a->kind > b->kind : a->order > b->order;
    });
    return ranked;
}

std::string StatusLine::Text() const {
    const std::vector<const Entry*> ranked = Ranked();
    return ranked.empty() ? prompt : ranked.front()->text;
}

std::string StatusLine::FullText() const {
    std::string text;
    for (const Entry* e : Ranked()) {
        text += e->text + "\n";
    }
    return text + prompt;
}
