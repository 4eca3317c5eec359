// SPDX-License-Identifier: GPL-3.0-or-later
// The "Deleted contacts..." window: the bin's contacts newest first with the
// date of their deletion, the chosen ones restored, the bin emptied on
// request. What it does to the data file, the main window does (so that it
// is one step of its undo history and the list follows).
#pragma once

#include "core/language.h"
#include "store/contact_bin.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace vcq
{

class DeletedContactsDialog : public QDialog
{
    Q_OBJECT
public:
    using Restore = std::function<void(const std::vector<std::uint64_t> &numbers)>;
    using Empty = std::function<void()>;
    DeletedContactsDialog(QWidget *parent, Language language, const ContactBin &bin,
                          Restore restore, Empty empty);

    // Reads the bin again.
    void refresh();

    QTreeWidget *lstDeleted = nullptr;
    QPushButton *btnRestore = nullptr, *btnEmpty = nullptr, *btnClose = nullptr;

private:
    void followSelection();

    Language m_language;
    const ContactBin &m_bin;
    Restore m_restore;
    Empty m_empty;
};

} // namespace vcq
