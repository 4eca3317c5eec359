// SPDX-License-Identifier: GPL-3.0-or-later
// Undo, redo and the bin in the main window. Ctrl+Z undoes the last change
// this window made to the data file, Ctrl+Shift+Z and Ctrl+Y redo it; in a
// field holding unsaved typing the keys keep their meaning for the text. The
// list's menu names the step ("Undo deletion of Smith John"), and "Deleted
// contacts..." opens the bin.
#include "tfrm_main.h"

#include "birth_date_edit.h"
#include "core/message_boxes.h"
#include "deleted_contacts_dialog.h"
#include "store/bin_restore.h"
#include "undo_texts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

namespace vcq
{

namespace
{

enum class UndoKey { None, Undo, Redo };

UndoKey undoKeyOf(const QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier |
                                        Qt::MetaModifier);
    if (e->key() == Qt::Key_Z && mods == Qt::ControlModifier)
        return UndoKey::Undo;
    if ((e->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (e->key() == Qt::Key_Y && mods == Qt::ControlModifier))
        return UndoKey::Redo;
    return UndoKey::None;
}

// Watches every key of the application for the undo keys aimed at the window.
class UndoKeys : public QObject
{
public:
    UndoKeys(TfrmMain *main) : QObject(main), m_main(main) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::ActivationChange && watched == m_main && m_main->isActiveWindow()) {
            m_main->checkOutsideChange();
            return false;
        }
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_main)
            return false;
        const UndoKey key = undoKeyOf(static_cast<QKeyEvent *>(event));
        if (key == UndoKey::None || m_main->fieldKeepsUndoKey(widget, key == UndoKey::Redo))
            return false;
        if (type == QEvent::ShortcutOverride) {
            // The key comes to the focused widget as a key press, and to us first.
            event->accept();
            return true;
        }
        if (key == UndoKey::Undo)
            m_main->UndoClick();
        else
            m_main->RedoClick();
        return true;
    }

private:
    TfrmMain *m_main;
};

} // namespace

void TfrmMain::setupUndo()
{
    m_history = std::make_unique<UndoHistory>(m_store);
    new UndoKeys(this);
}

bool TfrmMain::fieldKeepsUndoKey(QWidget *widget, bool redo) const
{
    // Only typing the data file does not hold yet is the field's to undo.
    const auto keeps = [&](bool undoAvailable, bool redoAvailable) {
        return redo ? redoAvailable : undoAvailable && hasUnsavedEdits();
    };
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return keeps(edit->isUndoAvailable(), edit->isRedoAvailable());
    if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        return keeps(memo->document()->isUndoAvailable(), memo->document()->isRedoAvailable());
    if (auto *combo = qobject_cast<QComboBox *>(widget); combo && combo->lineEdit())
        return keeps(combo->lineEdit()->isUndoAvailable(), combo->lineEdit()->isRedoAvailable());
    return false;
}

bool TfrmMain::checkOutsideChange()
{
    if (!m_history)
        return false;
    const bool hadSteps = m_history->canUndo() || m_history->canRedo();
    if (!m_history->checkFile() || !hadSteps)
        return false;
    showPlainMessage(this, undoTexts(language()).fileChangedOutside);
    return true;
}

void TfrmMain::UndoClick()
{
    replayStep(false);
}

void TfrmMain::RedoClick()
{
    replayStep(true);
}

void TfrmMain::replayStep(bool redo)
{
    if (!m_state.FileOpen || !m_store.isOpen() || checkOutsideChange())
        return;
    if (redo ? !m_history->canRedo() : !m_history->canUndo())
        return;
    if (hasUnsavedEdits()) {
        // Refilling the form would lose what the user typed.
        showPlainMessage(this, undoTexts(language()).unsavedForm);
        return;
    }
    // The contact the form shows is the one the step is measured from.
    const std::int64_t recordBefore = shownRecord();
    const int rowBefore = recordBefore >= 0 ? shownRow() : selectedRow();
    UndoOutcome outcome;
    {
        // Rows move and go as the store writes; the selection settles below.
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        guarded([&] { outcome = redo ? m_history->redo() : m_history->undo(); });
    }
    showStepResult(outcome.shown, recordBefore, rowBefore);
    if (outcome.leftAlone > 0)
        showPlainMessage(this, undoTexts(language()).leftAlone.arg(qulonglong(outcome.leftAlone)));
}

void TfrmMain::showStepResult(const std::vector<std::int32_t> &shown, std::int64_t recordBefore,
                              int rowBefore)
{
    // The list followed each contact as the store changed it: no sorting here.
    m_state.AddingNew = false;
    const int count = m_listModel->count();
    if (count == 0) {
        clearControls();
        lstList->setEnabled(false);
        setSaveEnabled(false);
        setDeleteEnabled(false);
        setPrintEnabled(false);
        return;
    }
    lstList->setEnabled(true);
    setPrintEnabled(true);
    // The contact undone or redone. When the step only took contacts away:
    // the contact selected before when it is still there, else its
    // neighbour above, as after a Delete.
    int row = shown.empty() ? -1 : m_listModel->rowOfRecord(shown.front());
    if (row < 0 && recordBefore >= 0)
        row = m_listModel->rowOfRecord(recordBefore);
    if (row < 0)
        row = std::clamp(rowBefore - 1, 0, count - 1);
    SetPosListe(row);
    FillTextBox();
}

void TfrmMain::DeletedContactsClick()
{
    if (!m_state.FileOpen || !m_store.isOpen())
        return;
    checkOutsideChange();
    DeletedContactsDialog dialog(
        this, language(), m_store.bin(),
        [this](const std::vector<std::uint64_t> &numbers) { restoreFromBinEntries(numbers); },
        [this] { guarded([this] { m_store.bin().empty(); }); });
    dialog.exec();
}

void TfrmMain::restoreFromBinEntries(const std::vector<std::uint64_t> &numbers)
{
    if (hasUnsavedEdits()) {
        showPlainMessage(this, undoTexts(language()).unsavedForm);
        return;
    }
    std::vector<std::int32_t> shown;
    const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
    guarded([&] {
        std::vector<std::uint64_t> unknown;
        const UndoHistory::StepScope step(*m_history, StepKind::Restore);
        for (const RestoredContact &r : restoreFromBin(m_store, numbers, unknown))
            shown.push_back(r.slot);
    });
    showStepResult(shown, shownRecord(), shownRow());
}

} // namespace vcq
