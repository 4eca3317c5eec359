// SPDX-License-Identifier: GPL-3.0-or-later
// Where the list and the form meet. One rule holds here: the contact a
// command acts on is the contact the form shows (m_shownRecord). Whatever
// moves the list's highlight (a left or right click, a key, an import that
// inserts rows above, a sync that renames or removes contacts) either shows
// that contact in the form, as a click does, or puts the highlight back on
// the contact the form shows. A click below the last entry keeps the shown
// contact selected. Save, Delete and "Export this contact" read
// m_shownRecord, never the highlight.
#include "tfrm_main.h"

#include "core/cp1252.h"
#include "interop_texts.h"

#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>

namespace vcq
{

namespace
{

// Opens the list's menu from the right mouse button, the Menu key and
// Shift+F10, on the list and its viewport.
class ListMenuTrigger : public QObject
{
public:
    ListMenuTrigger(QAbstractItemView *list, std::function<void(const QPoint &, bool)> open)
        : QObject(list), m_list(list), m_open(std::move(open))
    {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ContextMenu) {
            auto *e = static_cast<QContextMenuEvent *>(event);
            m_open(e->globalPos(), e->reason() != QContextMenuEvent::Mouse);
            return true;
        }
        if (watched == m_list && event->type() == QEvent::KeyPress) {
            auto *e = static_cast<QKeyEvent *>(event);
            if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
                m_open({}, true);
                return true;
            }
        }
        return false;
    }

private:
    QAbstractItemView *m_list;
    std::function<void(const QPoint &, bool)> m_open;
};

} // namespace

int TfrmMain::shownRow() const
{
    return m_shownRecord < 0 ? -1 : m_listModel->rowOfRecord(m_shownRecord);
}

void TfrmMain::rememberShown(std::int64_t record, const ContactRecord &shown)
{
    m_shownRecord = record;
    m_shownContact = shown;
}

void TfrmMain::lstListClick()
{
    guarded([this] { FillTextBox(); });
}

void TfrmMain::highlightMoved()
{
    if (m_selectingByProgram)
        return;
    const int row = selectedRow();
    if (row < 0) {
        // A click on the blank part: the shown contact stays selected.
        if (const int shown = shownRow(); shown >= 0)
            SetPosListe(shown);
        return;
    }
    if (m_state.AddingNew || m_listModel->at(row).record != m_shownRecord)
        lstListClick();
}

void TfrmMain::FillTextBox()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const ContactNode *node = m_store.list().findRecord(m_listModel->at(row).record);
    if (!node)
        return;
    showRecord(node->record());
    rememberShown(node->RecordNumber, node->record());
    m_state.AddingNew = false;
    setSaveEnabled(true);
    setDeleteEnabled(true);
}

bool TfrmMain::hasUnsavedEdits() const
{
    if (!m_state.SaveEnabled)
        return false;
    if (m_state.AddingNew)
        return true;
    if (m_shownRecord < 0)
        return false;
    // Compared as the form shows it: some fields show their text in capitals,
    // and an empty birth date shows as its blank mask.
    const auto shownAs = [](Field f, const ContactRecord &r) {
        QString text = fromCp1252(r.get(f)).toUpper();
        if (f == Field::Birth && QString(text).remove(u'-').trimmed().isEmpty())
            text.clear();
        return text;
    };
    const ContactRecord form = StoreInData();
    for (Field f : kContactFields) {
        if (shownAs(f, m_shownContact) != shownAs(f, form))
            return true;
    }
    return false;
}

void TfrmMain::contactsChangedInStore()
{
    // Measured against the form as it was filled, not against the store.
    const bool edited = hasUnsavedEdits();
    {
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        m_listModel->resort();
    }
    if (m_listModel->count() == 0) {
        lstList->setEnabled(false);
        if (!m_state.AddingNew) {
            // Whatever the form showed is gone from the file.
            if (m_shownRecord >= 0)
                clearControls();
            rememberShown(-1, {});
            setSaveEnabled(false);
        }
        setDeleteEnabled(false);
        setPrintEnabled(false);
        return;
    }
    lstList->setEnabled(true);
    setPrintEnabled(true);
    if (const int shown = shownRow(); shown >= 0) {
        SetPosListe(shown);
        // A sync may have changed the contact: the form shows it as stored,
        // unless the user is typing in it.
        if (!edited)
            FillTextBox();
    } else if (!m_state.AddingNew) {
        // The contact shown was removed: the first one is shown instead.
        SetPosListe(0);
        FillTextBox();
    }
}

void TfrmMain::setupListMenu()
{
    lstList->setContextMenuPolicy(Qt::DefaultContextMenu);
    new ListMenuTrigger(lstList, [this](const QPoint &at, bool keyboard) {
        if (!keyboard) {
            showListMenu(at);
            return;
        }
        // From the keyboard: below the shown contact's entry when it is in view.
        const int row = shownRow();
        const QRect entry = row >= 0 ? lstList->visualRect(m_listModel->index(row)) : QRect();
        const QPoint local = entry.isValid() && lstList->viewport()->rect().contains(entry.center())
                                 ? entry.bottomLeft() + QPoint(entry.height(), 0)
                                 : QPoint(0, 0);
        showListMenu(lstList->viewport()->mapToGlobal(local));
    });
    // An empty list is disabled and its clicks go to the window: the menu is
    // still offered there, so that a new address book can be filled.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (lstList->geometry().contains(at))
            showListMenu(mapToGlobal(at));
    });
}

void TfrmMain::showListMenu(const QPoint &globalPos)
{
    QMenu *menu = createListMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

ListMenuState TfrmMain::listMenuState() const
{
    ListMenuState s;
    s.fileOpen = m_state.FileOpen && m_store.isOpen();
    // A search may show none of them, or hide the shown one: the file decides.
    s.hasContacts = !m_store.list().empty();
    s.showsStoredContact = !m_state.AddingNew && m_store.list().findRecord(m_shownRecord);
    s.syncNotReady = m_syncEntry.notReady ? m_syncEntry.notReady() : syncNotSetUpText(language());
    if (s.fileOpen) {
        s.nextUndo = m_history->nextUndo();
        s.nextRedo = m_history->nextRedo();
    }
    return s;
}

QMenu *TfrmMain::createListMenu(QWidget *parent)
{
    // What another program wrote meanwhile cannot be undone here.
    checkOutsideChange();
    auto *menu = new QMenu(parent);
    fillListMenu(menu, listMenuEntries(listMenuState(), language()), this,
                 [this](ListCommand command) { runListCommand(command); });
    return menu;
}

void TfrmMain::runListCommand(ListCommand command)
{
    guarded([this, command] {
        switch (command) {
        case ListCommand::ImportContacts:
            ImportContactsClick();
            break;
        case ListCommand::ExportAll:
            ExportAllClick();
            break;
        case ListCommand::ExportThis:
            ExportThisClick();
            break;
        case ListCommand::FindDuplicates:
            openDuplicates();
            break;
        case ListCommand::SyncNow:
            if (m_syncEntry.run)
                m_syncEntry.run();
            break;
        case ListCommand::Undo:
            UndoClick();
            break;
        case ListCommand::Redo:
            RedoClick();
            break;
        case ListCommand::DeletedContacts:
            DeletedContactsClick();
            break;
        case ListCommand::Search:
            openSearch();
            break;
        case ListCommand::Birthdays:
            BirthdaysClick();
            break;
        }
    });
}

} // namespace vcq
