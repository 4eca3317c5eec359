// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo of the changes a program makes to its open data file. The
// history listens to the store: every contact slot written is part of a step
// (one Save, Add or Delete by itself; an import or a sync as one step when
// its writes are bracketed by a StepScope). Undo writes the earlier bytes
// back as a new change, redo the later ones, through the store, so the file
// is written at once as always and deleted contacts go through the bin.
// A change is undone only while its slot still holds what the step left
// there; a contact changed since by anything else is left alone and counted.
// The history lives with the open file: it is cleared when another program
// wrote the file (see checkFile).
#pragma once

#include "contact_store.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vcq
{

enum class StepKind : std::uint8_t { Save, Add, Delete, Import, Sync, Restore, Merge };

struct StepSummary {
    StepKind kind = StepKind::Save;
    std::string name;         // the contact's display key, for a one-contact step
    std::size_t contacts = 0; // how many contacts the step changed
    friend bool operator==(const StepSummary &, const StepSummary &) = default;
};

struct UndoOutcome {
    bool done = false; // false: nothing to undo (or redo)
    StepSummary step;
    // Contacts that are live after the undo or redo, changed by it (the
    // window selects the first); empty when the step took contacts away.
    std::vector<std::int32_t> shown;
    // Slots the step took contacts out of.
    std::vector<std::int32_t> gone;
    std::size_t leftAlone = 0; // changed since by something the step does not own
};

class UndoHistory : public StoreObserver
{
public:
    explicit UndoHistory(ContactStore &store);
    ~UndoHistory() override;
    UndoHistory(const UndoHistory &) = delete;
    UndoHistory &operator=(const UndoHistory &) = delete;

    // Groups the writes made while it lives into one step of that kind.
    class StepScope
    {
    public:
        StepScope(UndoHistory &history, StepKind kind);
        ~StepScope();
        StepScope(const StepScope &) = delete;
        StepScope &operator=(const StepScope &) = delete;

    private:
        UndoHistory &m_history;
    };

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    std::optional<StepSummary> nextUndo() const;
    std::optional<StepSummary> nextRedo() const;
    std::size_t undoDepth() const { return m_undo.size(); }

    // Undoes the last step not undone, or redoes the last step undone.
    // Throws StoreError when the store cannot write; what was written by
    // then stays (each write is whole), and the step stays where it was.
    UndoOutcome undo();
    UndoOutcome redo();

    void clear();
    // When another program wrote the data file since this store last did,
    // the history no longer describes it: it is cleared, and true answered.
    bool checkFile();

    // Steps beyond this many are forgotten, oldest first.
    static constexpr std::size_t kMaxSteps = 1000;

private:
    struct Side {
        bool live = false;
        std::uint64_t hash = 0;
        std::unique_ptr<ContactRecord> bytes; // kept while it may be written back
    };
    struct Change {
        std::int32_t slot = 0;
        Side before, after;
        std::uint64_t binEntry = 0; // where the contact went when the change deleted it
    };
    struct Step {
        StepSummary summary;
        std::vector<Change> changes;
    };

    void slotWritten(std::int32_t slot, const ContactRecord *before, const ContactRecord *after,
                     std::uint64_t binEntry) override;
    void openStep(StepKind kind);
    void closeStep();
    void push(Step step);
    UndoOutcome replay(Step &step, bool backwards);

    ContactStore &m_store;
    std::vector<Step> m_undo, m_redo;
    std::optional<Step> m_open;
    std::unordered_map<std::int32_t, std::size_t> m_openSlots; // slot -> change in m_open
    int m_depth = 0;
    bool m_replaying = false;
    std::unordered_map<std::int32_t, std::uint64_t> m_replayBin; // bin entries made by a replay
};

} // namespace vcq
