// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the search: Ctrl+F opens it, and the search
// selects rows the way the list's own clicks and keys do.
#include "tfrm_main.h"

#include "contact_search.h"

#include <QKeySequence>
#include <QShortcut>

namespace vcq
{

void TfrmMain::setupSearch()
{
    ContactSearch::Hooks hooks;
    // Keeps the highlight on the contact the form shows, which stays shown.
    hooks.selectQuietly = [this](int row) { SetPosListe(row); };
    hooks.showRow = [this](int row) {
        SetPosListe(row);
        lstListClick();
    };
    hooks.shownRecord = [this] { return m_state.AddingNew ? -1 : m_shownRecord; };
    m_search = new ContactSearch(lstList, m_listModel, m_store, std::move(hooks), this);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] { openSearch(); });
}

void TfrmMain::openSearch()
{
    if (!m_state.FileOpen)
        return;
    m_search->setDataFile(m_dataFileName);
    m_search->open();
}

} // namespace vcq
