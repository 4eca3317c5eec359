// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of a change made to the data file from outside the
// form: a sync run from the window.
#include "contact_list_model.h"
#include "tfrm_main.h"

#include "core/cp1252.h"

#include <QListView>

namespace vcq
{

bool TfrmMain::changeStore(
    const std::function<void(ContactStore &, const std::string &path)> &change)
{
    if (hasUnsavedEdits() || !m_store.isOpen())
        return false;
    checkOutsideChange();
    try {
        const UndoHistory::StepScope step(*m_history, StepKind::Sync);
        change(m_store, m_dataFileName);
    } catch (...) {
        reportError(std::current_exception());
    }
    // Whatever the change did, the list shows what the store now holds.
    contactsChangedInStore();
    return true;
}

bool TfrmMain::hasUnsavedEdits() const
{
    if (!m_state.SaveEnabled)
        return false;
    if (m_state.AddingNew)
        return true;
    const int row = selectedRow();
    const ContactNode *node =
        row < 0 ? nullptr : m_store.list().findRecord(m_listModel->at(row).record);
    if (!node)
        return false;
    // Compared as the form shows it: some fields show their text in capitals,
    // and an empty birth date shows as its blank mask.
    const auto shownAs = [](Field f, const ContactRecord &r) {
        QString text = fromCp1252(r.get(f)).toUpper();
        if (f == Field::Birth && QString(text).remove(u'-').trimmed().isEmpty())
            text.clear();
        return text;
    };
    const ContactRecord shown = node->record();
    const ContactRecord form = StoreInData();
    for (Field f : kContactFields) {
        if (shownAs(f, shown) != shownAs(f, form))
            return true;
    }
    return false;
}

} // namespace vcq
