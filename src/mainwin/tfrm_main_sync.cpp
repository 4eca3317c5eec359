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
    const std::function<void(ContactStore &, const std::string &path)> &change, StepKind kind)
{
    if (hasUnsavedEdits() || !m_store.isOpen())
        return false;
    checkOutsideChange();
    try {
        const UndoHistory::StepScope step(*m_history, kind);
        change(m_store, m_dataFileName);
    } catch (...) {
        reportError(std::current_exception());
    }
    // Whatever the change did, the list shows what the store now holds.
    contactsChangedInStore();
    return true;
}

} // namespace vcq
