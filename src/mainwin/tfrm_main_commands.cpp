// The contact editing commands of the main window: showing the selected
// contact, New, Save and Delete, and keeping the list box in step.
#include "tfrm_main.h"

#include "birth_date_edit.h"
#include "widgets/cp1252.h"
#include "widgets/message_boxes.h"

#include "widgets/explorer_button.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>

#include <QToolButton>

namespace vcq
{

namespace
{

constexpr std::size_t kCommentMax = 200;

// The memo shows line breaks as LF; the data file keeps them as CR LF.
QString commentFromRecord(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString commentToRecord(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

} // namespace

void TfrmMain::setSaveEnabled(bool on)
{
    m_state.SaveEnabled = on;
    SaveBut->setEnabled(on);
}

void TfrmMain::setDeleteEnabled(bool on)
{
    m_state.DeleteEnabled = on;
    TrashBut->setEnabled(on);
}

void TfrmMain::setPrintEnabled(bool on)
{
    m_state.PrintEnabled = on;
    PrintBut->setEnabled(on);
}

int TfrmMain::selectedRow() const
{
    const QModelIndexList rows = lstList->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmMain::lstListClick()
{
    guarded([this] { FillTextBox(); });
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
    m_state.AddingNew = false;
    setSaveEnabled(true);
    setDeleteEnabled(true);
}

void TfrmMain::showRecord(const ContactRecord &r)
{
    auto text = [&r](Field f) { return fromCp1252(r.get(f)); };
    txtLastName->setText(text(Field::LastName));
    txtFirstName->setText(text(Field::FirstName));
    txtOrganisation->setText(text(Field::Organisation));
    txtAddress1->setText(text(Field::Address1));
    txtCity->setText(text(Field::City));
    // The postal code field shows everything in upper case, set or typed.
    txtZip->setText(toUpperCp1252(text(Field::Zip)));
    txtState->setText(text(Field::State));
    txtCountry->setText(text(Field::Country));
    txtPhone1->setText(text(Field::Phone1));
    txtPhone2->setText(text(Field::Phone2));
    txtCell->setText(text(Field::Cell));
    txtPhone3->setText(text(Field::Phone3));
    txtEmail->setText(text(Field::Email));
    txtComment->setPlainText(commentFromRecord(text(Field::Comment)));
    txtBirth->setMaskedText(text(Field::Birth));
    setStatusText(text(Field::Status));
}

void TfrmMain::setStatusText(const QString &text)
{
    cboFilter->setCurrentIndex(text.isEmpty() ? -1 : cboFilter->findText(text));
    cboFilter->setEditText(text);
}

void TfrmMain::clearControls()
{
    for (QLineEdit *e : {txtLastName, txtFirstName, txtOrganisation, txtAddress1, txtCity, txtZip,
                         txtState, txtCountry, txtPhone1, txtPhone2, txtPhone3, txtCell, txtEmail})
        e->clear();
    txtComment->clear();
    txtBirth->clearToBlank();
    setStatusText(QString());
}

void TfrmMain::limitCommentLength()
{
    const QString text = txtComment->toPlainText();
    if (static_cast<std::size_t>(commentToRecord(text).size()) <= kCommentMax)
        return;
    // Keep the longest beginning that fits once its line breaks are CR LF.
    qsizetype keep = 0;
    std::size_t bytes = 0;
    for (; keep < text.size(); ++keep) {
        const std::size_t add = text[keep] == u'\n' ? 2 : 1;
        if (bytes + add > kCommentMax)
            break;
        bytes += add;
    }
    const int cursorAt = txtComment->textCursor().position();
    QSignalBlocker block(txtComment);
    txtComment->setPlainText(text.left(keep));
    QTextCursor cursor = txtComment->textCursor();
    cursor.setPosition(std::min<int>(cursorAt, static_cast<int>(keep)));
    txtComment->setTextCursor(cursor);
}

ContactRecord TfrmMain::StoreInData() const
{
    ContactRecord r;
    auto put = [&r](Field f, const QString &text) { r.set(f, toCp1252(text)); };
    put(Field::LastName, txtLastName->text());
    put(Field::FirstName, txtFirstName->text());
    put(Field::Organisation, txtOrganisation->text());
    put(Field::Address1, txtAddress1->text());
    put(Field::City, txtCity->text());
    put(Field::Zip, txtZip->text());
    put(Field::State, txtState->text());
    put(Field::Country, txtCountry->text());
    put(Field::Phone1, txtPhone1->text());
    put(Field::Phone2, txtPhone2->text());
    put(Field::Cell, txtCell->text());
    put(Field::Phone3, txtPhone3->text());
    put(Field::Email, txtEmail->text());
    put(Field::Comment, commentToRecord(txtComment->toPlainText()));
    put(Field::Birth, txtBirth->maskedText());
    put(Field::Status, cboFilter->currentText());
    return r;
}

void TfrmMain::NewButClick()
{
    clearControls();
    const ProgramSettings &s = m_state.ProgramSettings;
    txtCity->setText(fromCp1252(s.DefCity));
    txtState->setText(fromCp1252(s.DefState));
    txtCountry->setText(fromCp1252(s.DefCountry));
    txtLastName->setFocus();
    m_state.AddingNew = true;
    setSaveEnabled(true);
    setDeleteEnabled(false);
}

void TfrmMain::SaveButClick()
{
    if (!m_state.SaveEnabled)
        return;
    const std::string lastName = toCp1252(txtLastName->text());
    if (trimBlanksAndControls(lastName).empty()) {
        showPlainMessage(this, m_texts.MsgLastNameRequired);
        return;
    }
    // Such a name would read back as a deleted record.
    if (isReservedLastName(lastName)) {
        showPlainMessage(this, m_texts.MsgReservedLastName);
        return;
    }
    if (m_state.AddingNew) {
        AddItem();
        m_state.AddingNew = false;
    } else if (selectedRow() >= 0) {
        ModifyItem();
    }
    setDeleteEnabled(true);
    setPrintEnabled(true);
}

void TfrmMain::AddItem()
{
    const ContactRecord record = StoreInData();
    // The store lists the contact once it is in the file; the list box shows
    // the store's list, so its new row is already there.
    const std::int64_t number = m_store.add(record);
    lstList->setEnabled(true);
    SetPosListe(m_listModel->rowOfRecord(number));
}

void TfrmMain::ModifyItem()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const ContactListModel::Entry entry = m_listModel->at(row);
    const ContactRecord record = StoreInData();
    {
        // A re-keyed contact's row moves with the selection on it: no click.
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        if (!m_store.rewrite(entry.record, record))
            return;
    }
    if (fromCp1252(displayKey(record)) == entry.text)
        return;
    lstList->setEnabled(true);
    SetPosListe(m_listModel->rowOfRecord(entry.record));
}

void TfrmMain::SetPosListe(int row)
{
    const QModelIndex index = m_listModel->index(row);
    if (!index.isValid())
        return;
    // A selection made here is not a click: the form already shows this contact.
    m_selectingByProgram = true;
    lstList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_selectingByProgram = false;
    lstList->scrollTo(index);
}

void TfrmMain::TrashButClick()
{
    if (!m_state.DeleteEnabled)
        return;
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString question = m_texts.MsgDeletePrefix + u'"' + m_listModel->at(row).text + u'"';
    if (!askConfirmation(this, question))
        return;
    RemoveItem(true);
}

void TfrmMain::RemoveItem(bool writeTombstone)
{
    // A list entry is its contact: it goes only together with its record.
    // Re-keying moves the entry instead of dropping it.
    const int row = selectedRow();
    if (row < 0 || !writeTombstone)
        return;
    {
        // The file first: when the write fails, the screen keeps the contact.
        // The view moves its current entry off the removed one; that is no click.
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        if (!m_store.remove(m_listModel->at(row).record))
            return;
    }
    clearControls();
    if (m_listModel->count() > 0) {
        SetPosListe(row > 0 ? row - 1 : 0);
        FillTextBox();
    } else {
        lstList->setEnabled(false);
        setSaveEnabled(false);
        setDeleteEnabled(false);
        setPrintEnabled(false);
    }
}

void TfrmMain::contactsChangedInStore()
{
    const int row = selectedRow();
    const std::int64_t selected = row >= 0 ? m_listModel->at(row).record : -1;
    {
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        m_listModel->resort();
    }
    if (m_listModel->count() == 0) {
        lstList->setEnabled(false);
        if (!m_state.AddingNew)
            setSaveEnabled(false);
        setDeleteEnabled(false);
        setPrintEnabled(false);
        return;
    }
    lstList->setEnabled(true);
    setPrintEnabled(true);
    const int again = selected >= 0 ? m_listModel->rowOfRecord(selected) : -1;
    if (again >= 0) {
        // The form already shows this contact, or what the user is typing.
        SetPosListe(again);
    } else if (!m_state.AddingNew) {
        SetPosListe(0);
        FillTextBox();
    }
}

} // namespace vcq
