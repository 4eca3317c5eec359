// SPDX-License-Identifier: GPL-3.0-or-later
#include "undo_history.h"

#include <functional>
#include <string_view>
#include <utility>

namespace vcq
{

namespace
{

std::uint64_t hashOf(const ContactRecord &r)
{
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char *>(r.data()), kRecordSize));
}

} // namespace

UndoHistory::UndoHistory(ContactStore &store) : m_store(store)
{
    m_store.setObserver(this);
}

UndoHistory::~UndoHistory()
{
    m_store.setObserver(nullptr);
}

UndoHistory::StepScope::StepScope(UndoHistory &history, StepKind kind) : m_history(history)
{
    m_history.openStep(kind);
}

UndoHistory::StepScope::~StepScope()
{
    m_history.closeStep();
}

void UndoHistory::openStep(StepKind kind)
{
    if (m_depth++ > 0)
        return; // a step inside a step is part of it
    m_open = Step{{kind, {}, 0}, {}};
    m_openSlots.clear();
}

void UndoHistory::closeStep()
{
    if (--m_depth > 0 || !m_open)
        return;
    Step step = std::move(*m_open);
    m_open.reset();
    m_openSlots.clear();
    if (!step.changes.empty())
        push(std::move(step));
}

void UndoHistory::push(Step step)
{
    step.summary.contacts = step.changes.size();
    m_undo.push_back(std::move(step));
    m_redo.clear();
    if (m_undo.size() > kMaxSteps)
        m_undo.erase(m_undo.begin());
}

void UndoHistory::slotWritten(std::int32_t slot, const ContactRecord *before,
                              const ContactRecord *after, std::uint64_t binEntry)
{
    if (m_replaying) {
        if (binEntry != 0)
            m_replayBin[slot] = binEntry;
        return;
    }
    Side was;
    if (before) {
        was.live = true;
        was.hash = hashOf(*before);
        was.bytes = std::make_unique<ContactRecord>(*before);
    }
    Side now;
    if (after) {
        now.live = true;
        now.hash = hashOf(*after);
    }
    if (!m_open) {
        // A write of its own: one contact added, saved or deleted.
        Step step;
        step.summary.kind = !before ? StepKind::Add : after ? StepKind::Save : StepKind::Delete;
        step.summary.name = displayKey(after ? *after : *before);
        step.changes.push_back(Change{slot, std::move(was), std::move(now), binEntry});
        push(std::move(step));
        return;
    }
    // A slot written twice in one step: from what it held first to what it holds last.
    if (const auto it = m_openSlots.find(slot); it != m_openSlots.end()) {
        Change &c = m_open->changes[it->second];
        c.after = std::move(now);
        c.binEntry = binEntry;
        return;
    }
    m_openSlots.emplace(slot, m_open->changes.size());
    m_open->changes.push_back(Change{slot, std::move(was), std::move(now), binEntry});
}

std::optional<StepSummary> UndoHistory::nextUndo() const
{
    if (m_undo.empty())
        return std::nullopt;
    return m_undo.back().summary;
}

std::optional<StepSummary> UndoHistory::nextRedo() const
{
    if (m_redo.empty())
        return std::nullopt;
    return m_redo.back().summary;
}

UndoOutcome UndoHistory::undo()
{
    if (m_undo.empty())
        return {};
    UndoOutcome outcome = replay(m_undo.back(), true);
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    return outcome;
}

UndoOutcome UndoHistory::redo()
{
    if (m_redo.empty())
        return {};
    UndoOutcome outcome = replay(m_redo.back(), false);
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    return outcome;
}

UndoOutcome UndoHistory::replay(Step &step, bool backwards)
{
    struct Replaying {
        bool &flag;
        explicit Replaying(bool &f) : flag(f) { flag = true; }
        ~Replaying() { flag = false; }
    } replaying(m_replaying);

    UndoOutcome outcome;
    outcome.done = true;
    outcome.step = step.summary;
    const StepKind kind = step.summary.kind;
    std::optional<DeletedHow> how = DeletedHow::Undone;
    if (kind == StepKind::Import)
        how = std::nullopt; // still in the files it came from; redo brings it back
    else if (backwards && kind == StepKind::Add)
        how = DeletedHow::AddUndone;
    else if (!backwards && (kind == StepKind::Delete || kind == StepKind::Merge))
        how = DeletedHow::Deleted;
    else if (!backwards && kind == StepKind::Sync)
        how = DeletedHow::Synced;

    m_replayBin.clear();
    std::vector<std::int32_t> removals;
    std::vector<Change *> removing;
    std::vector<std::pair<std::int32_t, ContactRecord>> returns;
    std::vector<Change *> returning;
    // What each live slot holds now, read in runs (an import's slots follow each other).
    std::vector<std::int32_t> liveSlots;
    for (const Change &c : step.changes)
        if (m_store.list().findRecord(c.slot))
            liveSlots.push_back(c.slot);
    const std::vector<ContactRecord> current = m_store.recordsAt(liveSlots);
    std::size_t nextLive = current.size();
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        Change &c = *it;
        Side &from = backwards ? c.after : c.before;
        Side &to = backwards ? c.before : c.after;
        const bool live = m_store.list().findRecord(c.slot) != nullptr;
        const ContactRecord *now = live ? &current[--nextLive] : nullptr;
        if (live != from.live || (now && hashOf(*now) != from.hash)) {
            ++outcome.leftAlone;
            continue;
        }
        if (now && !from.bytes)
            from.bytes = std::make_unique<ContactRecord>(*now);
        if (from.live && to.live) {
            m_store.rewrite(c.slot, *to.bytes);
            outcome.shown.push_back(c.slot);
        } else if (from.live) {
            removals.push_back(c.slot);
            removing.push_back(&c);
        } else if (to.live) {
            returns.emplace_back(c.slot, *to.bytes);
            returning.push_back(&c);
        }
    }
    if (!removals.empty()) {
        m_store.removeMany(removals, how);
        outcome.gone = removals;
        for (Change *c : removing) {
            const auto it = m_replayBin.find(c->slot);
            c->binEntry = it == m_replayBin.end() ? 0 : it->second;
        }
    }
    if (!returns.empty()) {
        const std::vector<bool> back = m_store.putBack(returns);
        for (std::size_t i = 0; i < returns.size(); ++i) {
            // Its slot was given to another contact: it comes back as a new one.
            if (!back[i])
                returning[i]->slot = m_store.add(returns[i].second);
            outcome.shown.push_back(returning[i]->slot);
        }
        // A contact brought back is no longer a deleted one.
        std::vector<std::uint64_t> binned;
        for (Change *c : returning)
            if (const std::uint64_t entry = std::exchange(c->binEntry, 0))
                binned.push_back(entry);
        m_store.bin().takeOut(binned);
    }
    return outcome;
}

void UndoHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

bool UndoHistory::checkFile()
{
    if (!m_store.changedOutside())
        return false;
    clear();
    m_store.acceptOutsideChange();
    return true;
}

} // namespace vcq
