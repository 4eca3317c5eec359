// SPDX-License-Identifier: GPL-3.0-or-later
#include "deleted_contacts_dialog.h"

#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "undo_texts.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vcq
{

DeletedContactsDialog::DeletedContactsDialog(QWidget *parent, Language language,
                                             const ContactBin &bin, Restore restore, Empty empty)
    : QDialog(parent), m_language(language), m_bin(bin), m_restore(std::move(restore)),
      m_empty(std::move(empty))
{
    const UndoTexts &t = undoTexts(language);
    setObjectName(QStringLiteral("dlgDeletedContacts"));
    setWindowTitle(t.binTitle);
    lstDeleted = new QTreeWidget(this);
    lstDeleted->setObjectName(QStringLiteral("lstDeleted"));
    lstDeleted->setAccessibleName(t.binTitle);
    lstDeleted->setRootIsDecorated(false);
    lstDeleted->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstDeleted->setHeaderLabels({t.binDate, t.binName, t.binHow});
    lstDeleted->header()->setStretchLastSection(false);
    lstDeleted->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    btnRestore = new QPushButton(t.restore, this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnEmpty = new QPushButton(t.emptyBin, this);
    btnEmpty->setObjectName(QStringLiteral("btnEmpty"));
    btnClose = new QPushButton(t.close, this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnRestore);
    buttons->addWidget(btnEmpty);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lstDeleted);
    layout->addLayout(buttons);
    resize(520, 360);

    connect(lstDeleted, &QTreeWidget::itemSelectionChanged, this,
            &DeletedContactsDialog::followSelection);
    // Enter on the list goes on to the dialog, which presses its default
    // button: the chosen contacts are restored once. A double-click likewise.
    btnRestore->setDefault(true);
    connect(lstDeleted, &QTreeWidget::itemDoubleClicked, btnRestore, &QPushButton::click);
    connect(btnRestore, &QPushButton::clicked, this, [this] {
        std::vector<std::uint64_t> numbers;
        for (const QTreeWidgetItem *item : lstDeleted->selectedItems())
            numbers.push_back(item->data(0, Qt::UserRole).toULongLong());
        if (numbers.empty())
            return;
        m_restore(numbers);
        refresh();
    });
    connect(btnEmpty, &QPushButton::clicked, this, [this] {
        const int count = lstDeleted->topLevelItemCount();
        if (!askConfirmation(this, undoTexts(m_language).confirmEmpty.arg(count)))
            return;
        m_empty();
        refresh();
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void DeletedContactsDialog::refresh()
{
    lstDeleted->clear();
    std::vector<BinEntry> entries;
    try {
        entries = m_bin.list();
    } catch (const StoreError &e) {
        showPlainMessage(this, QString::fromStdString(e.what()));
    }
    const UndoTexts &t = undoTexts(m_language);
    for (const BinEntry &e : entries) {
        auto *item = new QTreeWidgetItem(lstDeleted);
        item->setText(0, QDateTime::fromMSecsSinceEpoch(e.deletedAtMs)
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        item->setText(1, fromCp1252(displayKey(e.record)));
        item->setText(2, deletedHowText(e.how, m_language));
        item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(e.number));
    }
    lstDeleted->resizeColumnToContents(0);
    lstDeleted->resizeColumnToContents(2);
    if (entries.empty()) {
        auto *item = new QTreeWidgetItem(lstDeleted);
        item->setText(1, t.binEmptyNow);
        item->setFlags(Qt::NoItemFlags);
    } else {
        lstDeleted->setCurrentItem(lstDeleted->topLevelItem(0));
    }
    btnEmpty->setEnabled(!entries.empty());
    followSelection();
}

void DeletedContactsDialog::followSelection()
{
    btnRestore->setEnabled(!lstDeleted->selectedItems().isEmpty());
}

} // namespace vcq
