// SPDX-License-Identifier: GPL-3.0-or-later
// The contact editing commands of the main window: showing the selected
// contact, New, Save and Delete, and keeping the list box in step.
#include "tfrm_main.h"

#include "birth_date_edit.h"
#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "quiet_change.h"

#include "widgets/explorer_button.h"
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>

#include <QToolButton>

namespace vcq
{

namespace
{

constexpr std::size_t kCommentMax = 200;

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

void TfrmMain::showRecord(const ContactRecord &r)
{
    for (Field f : kContactFields)
        showField(f, r.get(f));
}

QLineEdit *TfrmMain::lineEditOf(Field f) const
{
    switch (f) {
    case Field::LastName:
        return txtLastName;
    case Field::FirstName:
        return txtFirstName;
    case Field::Organisation:
        return txtOrganisation;
    case Field::Address1:
        return txtAddress1;
    case Field::City:
        return txtCity;
    case Field::Zip:
        return txtZip;
    case Field::State:
        return txtState;
    case Field::Country:
        return txtCountry;
    case Field::Phone1:
        return txtPhone1;
    case Field::Phone2:
        return txtPhone2;
    case Field::Cell:
        return txtCell;
    case Field::Phone3:
        return txtPhone3;
    case Field::Email:
        return txtEmail;
    default:
        return nullptr;
    }
}

QWidget *TfrmMain::widgetOf(Field f) const
{
    switch (f) {
    case Field::Comment:
        return txtComment;
    case Field::Birth:
        return txtBirth;
    case Field::Status:
        return cboFilter;
    default:
        return lineEditOf(f);
    }
}

QString TfrmMain::fieldText(Field f) const
{
    if (const QLineEdit *e = lineEditOf(f))
        return e->text();
    switch (f) {
    case Field::Comment: {
        // The raw text keeps a no-break space; each paragraph end is a line end.
        QString text = txtComment->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u'\n');
        return text;
    }
    case Field::Birth:
        return txtBirth->maskedText();
    case Field::Status:
        return cboFilter->currentText();
    default:
        return {};
    }
}

void TfrmMain::showField(Field f, const std::string &bytes)
{
    const QString text = fromCp1252(bytes);
    FieldShown how = FieldShown::ByteForByte;
    const QuietChange quiet(widgetOf(f));
    if (QLineEdit *e = lineEditOf(f)) {
        // The postal code field shows everything in upper case, set or typed.
        const QString shown = f == Field::Zip ? toUpperCp1252(text) : text;
        // A field that already shows it, unedited, is left alone: setting it
        // again would redraw it and tell a screen reader its text went and
        // came back, for every empty field of every contact shown.
        if (e->text() != shown || e->isModified() || e->isUndoAvailable())
            e->setText(shown);
    } else if (f == Field::Comment) {
        const QScopedValueRollback filling(m_fillingComment, true);
        if (txtComment->document()->isUndoAvailable() || txtComment->toPlainText() != text)
            txtComment->setPlainText(text);
        how = FieldShown::LineBreaks;
    } else if (f == Field::Birth) {
        txtBirth->setMaskedText(text);
        how = FieldShown::Whole;
    } else if (f == Field::Status) {
        setStatusText(text);
    }
    m_shownBytes[static_cast<std::size_t>(f)] = FieldBytes(bytes, fieldText(f), how);
}

void TfrmMain::followFieldEdits()
{
    for (Field f : kContactFields) {
        if (QLineEdit *e = lineEditOf(f))
            connect(e, &QLineEdit::textChanged, this, [this, f] { followEdit(f); });
    }
    connect(cboFilter, &QComboBox::editTextChanged, this, [this] { followEdit(Field::Status); });
    // The remarks follow their edits as their length is checked; the birth
    // date is taken whole once edited, so it compares with what was shown.
}

void TfrmMain::followEdit(Field f)
{
    FieldBytes &shown = m_shownBytes[static_cast<std::size_t>(f)];
    shown = shown.edited(fieldText(f));
}

std::string TfrmMain::fieldBytes(Field f) const
{
    return m_shownBytes[static_cast<std::size_t>(f)].bytesFor(fieldText(f));
}

void TfrmMain::setStatusText(const QString &text)
{
    const int index = text.isEmpty() ? -1 : cboFilter->findText(text);
    // Left alone when it already shows it, as the other fields are: setting
    // it again emptied and refilled it, which a screen reader hears.
    const QLineEdit *edit = cboFilter->lineEdit();
    if (cboFilter->currentIndex() == index && cboFilter->currentText() == text &&
        !edit->isModified() && !edit->isUndoAvailable())
        return;
    cboFilter->setCurrentIndex(index);
    cboFilter->setEditText(text);
}

void TfrmMain::clearControls()
{
    for (Field f : kContactFields)
        showField(f, f == Field::Birth ? BirthDateEdit::kBlankText : "");
}

void TfrmMain::limitCommentLength()
{
    if (m_fillingComment)
        return;
    followEdit(Field::Comment);
    const QString text = fieldText(Field::Comment);
    const FieldBytes &shown = m_shownBytes[static_cast<std::size_t>(Field::Comment)];
    if (shown.bytesFor(text).size() <= kCommentMax)
        return;
    // Keep the longest beginning that fits as it would be stored.
    qsizetype keep = text.size();
    while (keep > 0 && shown.bytesFor(QStringView(text).left(keep)).size() > kCommentMax)
        --keep;
    const int cursorAt = txtComment->textCursor().position();
    QSignalBlocker block(txtComment);
    txtComment->setPlainText(text.left(keep));
    QTextCursor cursor = txtComment->textCursor();
    cursor.setPosition(std::min<int>(cursorAt, static_cast<int>(keep)));
    txtComment->setTextCursor(cursor);
    followEdit(Field::Comment);
}

ContactRecord TfrmMain::StoreInData() const
{
    ContactRecord r;
    for (Field f : kContactFields)
        r.set(f, fieldBytes(f));
    return r;
}

void TfrmMain::NewButClick()
{
    clearControls();
    const ProgramSettings &s = m_state.ProgramSettings;
    showField(Field::City, s.DefCity);
    showField(Field::State, s.DefState);
    showField(Field::Country, s.DefCountry);
    txtLastName->setFocus();
    // The form holds no stored contact until Save adds it.
    rememberShown(-1, {});
    m_state.AddingNew = true;
    setSaveEnabled(true);
    setDeleteEnabled(false);
}

QString TfrmMain::unstorableFieldLabel() const
{
    const std::pair<Field, const QString *> labels[] = {
        {Field::LastName, &m_texts.lblName},
        {Field::FirstName, &m_texts.lblFirst},
        {Field::Organisation, &m_texts.lblOrganisation},
        {Field::Address1, &m_texts.lblAddress},
        {Field::City, &m_texts.lblCity},
        {Field::Zip, &m_texts.lblZip},
        {Field::State, &m_texts.lblState},
        {Field::Country, &m_texts.lblCountry},
        {Field::Phone1, &m_texts.lblPhone1},
        {Field::Phone2, &m_texts.lblPhone2},
        {Field::Cell, &m_texts.lblCell},
        {Field::Phone3, &m_texts.lblFax},
        {Field::Email, &m_texts.lblEmail},
        {Field::Comment, &m_texts.lblComment},
        {Field::Birth, &m_texts.lblBirth},
        {Field::Status, &m_texts.lblFilter},
    };
    for (const auto &[field, label] : labels) {
        if (!isCp1252Storable(fieldText(field)))
            return *label;
    }
    return {};
}

void TfrmMain::SaveButClick()
{
    if (!m_state.SaveEnabled)
        return;
    // The fields refuse such characters as they are typed; text put there
    // another way is caught here, before anything is written.
    if (const QString field = unstorableFieldLabel(); !field.isEmpty()) {
        showPlainMessage(this, m_texts.MsgUnstorableField.arg(field));
        return;
    }
    const std::string lastName = fieldBytes(Field::LastName);
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
    } else if (m_shownRecord >= 0) {
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
    std::int64_t number = -1;
    {
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        number = m_store.add(record);
    }
    rememberShown(number, record);
    lstList->setEnabled(true);
    SetPosListe(m_listModel->rowOfRecord(number));
}

void TfrmMain::ModifyItem()
{
    // The form's contact, listed or not (a search may hide its row).
    const ContactNode *node = m_store.list().findRecord(m_shownRecord);
    if (!node)
        return;
    const std::int64_t number = m_shownRecord;
    const std::string oldKey(node->DisplayKey);
    const ContactRecord record = StoreInData();
    {
        // A re-keyed contact's row moves with the selection on it: no click.
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        if (!m_store.rewrite(std::int32_t(number), record))
            return;
    }
    rememberShown(number, record);
    if (displayKey(record) == oldKey)
        return;
    lstList->setEnabled(true);
    SetPosListe(m_listModel->rowOfRecord(number));
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
    const ContactNode *node = m_store.list().findRecord(m_shownRecord);
    if (!node)
        return;
    const QString question = m_texts.MsgDeletePrefix + u'"' + fromCp1252(node->DisplayKey) + u'"';
    if (!askConfirmation(this, question))
        return;
    RemoveItem(true);
}

void TfrmMain::RemoveItem(bool writeTombstone)
{
    // A list entry is its contact: it goes only together with its record.
    // Re-keying moves the entry instead of dropping it.
    if (m_shownRecord < 0 || !writeTombstone || !m_store.list().findRecord(m_shownRecord))
        return;
    const int row = shownRow(); // -1 when a search hides it
    {
        // The file first: when the write fails, the screen keeps the contact.
        // The entry shown next is made current before, so that the list's
        // current entry moves once (a reader hears one move, not two); the
        // view's own move off a removed entry would be no click either.
        const QScopedValueRollback<bool> quiet(m_selectingByProgram, true);
        QItemSelectionModel *selection = lstList->selectionModel();
        const int next = row > 0 ? row - 1 : 1; // the entry after the first becomes the first
        if (row >= 0 && next < m_listModel->count())
            selection->setCurrentIndex(m_listModel->index(next),
                                       QItemSelectionModel::ClearAndSelect);
        if (!m_store.remove(std::int32_t(m_shownRecord))) {
            if (row >= 0)
                selection->setCurrentIndex(m_listModel->index(row),
                                           QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
    rememberShown(-1, {});
    if (m_listModel->count() > 0) {
        SetPosListe(row > 0 ? row - 1 : 0);
        // Each field takes the next contact's text in place, left alone when
        // it is the same: emptying the form first made every field change twice.
        FillTextBox();
        if (m_shownRecord < 0)
            clearControls();
        return;
    }
    clearControls();
    if (!m_store.list().empty()) {
        // A search shows none of the contacts left: none is shown to act on.
        setSaveEnabled(false);
        setDeleteEnabled(false);
    } else {
        lstList->setEnabled(false);
        setSaveEnabled(false);
        setDeleteEnabled(false);
        setPrintEnabled(false);
    }
}

} // namespace vcq
