// SPDX-License-Identifier: GPL-3.0-or-later
// "Find duplicates..." from the main window: the duplicates window over the
// open data file; its merges go through changeStore, so that the list and
// the form follow and a form with unsaved edits refuses them.
#include "duplicates_window.h"
#include "tfrm_main.h"

namespace vcq
{

void TfrmMain::openDuplicates()
{
    if (!m_store.isOpen())
        return;
    DuplicatesWindow window(
        m_dataFileName,
        [this](const DuplicatesWindow::StoreChange &change) {
            return changeStore(change, StepKind::Merge);
        },
        language(), this);
    window.find();
    window.exec();
}

} // namespace vcq
