#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

/// What the first pane of the status bar says. Several parts of the program speak there: the
/// prompt about what is shown, the progress of long work (the waveform being read, plug-ins
/// being examined) and messages, of which notes and warnings pass after a while and errors
/// stay until their topic withdraws them. Each topic keeps its own entry, so none overwrites
/// another: the pane shows the most important entry, and the tooltip lists them all, whole.
///
///     StatusLine status;
///     status.SetPrompt("Ready");
///     status.SetProgress("plug-ins", "Examining plug-ins: 3 of 10");
///     status.Post("recovery", "Recovery copy not written: disk full", Priority::kError, now);
///     status.Text();  // the error; the progress is still in FullText()
///
/// Plain data on one thread; the time is passed in, so that expiry is tested without waiting.
class StatusLine {
public:
    using Clock = std::chrono::steady_clock;
    enum class Priority { kNote, kWarning, kError };

    /// How long a note and a warning stay shown; an error stays until withdrawn.
    static constexpr std::chrono::seconds kNoteLife{8};
    static constexpr std::chrono::seconds kWarningLife{30};

    /// The text shown when nothing else is: what the user may do next.
    void SetPrompt(std::string text);
    /// The progress of `topic`'s work; an empty text ends it.
    void SetProgress(const std::string& topic, std::string text);
    /// A message of `topic`, in place of any earlier message of that topic.
    void Post(const std::string& topic, std::string text, Priority priority, Clock::time_point now);
    /// Takes `topic`'s message away, as when what it reported is over.
    void Withdraw(const std::string& topic);
    /// Drops the notes and warnings whose time is over; true when any went.
    bool Expire(Clock::time_point now);
    /// True while a note or warning waits to expire.
    bool HasExpiring() const;

    /// What the pane shows: the newest error, else the newest warning, else the newest
    /// progress, else the newest note, else the prompt.
    std::string Text() const;
    /// Every entry in force, most important first, one a line: the pane's tooltip.
    std::string FullText() const;

private:
    enum class Kind { kNote, kProgress, kWarning, kError };  // in rising importance
    struct Entry {
        std::string topic;
        Kind kind = Kind::kNote;
        std::string text;
        std::optional<Clock::time_point> expires;
        uint64_t order = 0;  // later entries rank before earlier ones of their kind
    };

    void Remove(const std::string& topic, bool progress);
    /// The entries, most important first.
    std::vector<const Entry*> Ranked() const;

    std::string prompt;
    std::vector<Entry> entries;
    uint64_t nextOrder = 0;
};
