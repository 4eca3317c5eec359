// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the contact list on the left page, the editing form of one
// contact on the right page and the column of command buttons. It owns the open
// data file and runs start-up, the editing commands and the ways the program ends.
#pragma once

#include "contact_list_model.h"
#include "contact_list_view.h"
#include "list_menu.h"
#include "main_state.h"
#include "main_texts.h"
#include "store/contact_store.h"
#include "store/undo_history.h"
#include "widgets/field_bytes.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <memory>

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QToolButton;

namespace vcq
{

class TRegAppDefaultUserConfig;
class TfrmOptions;

class BirthDateEdit;
class ContactSearch;
class TExplorerButton;
class QuickDial;

class TfrmMain : public QWidget
{
    Q_OBJECT
public:
    // Runs FormCreate: the flags, the settings, the status list, the language.
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Connections to the other windows and services.
    // Asked after the header is read when access may be protected; answers
    // whether the user may go on (false: cancelled, the program ends).
    using PasswordCheck = std::function<bool(const ContactRecord &header)>;
    void setPasswordCheck(PasswordCheck check) { m_passwordCheck = std::move(check); }
    // Stores the window's left and top edges at the end; may throw.
    using PositionWriter = std::function<void(int left, int top)>;
    void setPositionWriter(PositionWriter writer) { m_positionWriter = std::move(writer); }
    // The window follows the language the dialog chooses.
    void setOptionsDialog(TfrmOptions *dialog);
    void setPrintDialog(QDialog *dialog) { m_printDialog = dialog; }
    // Where the data file is; the working directory's "VCQ97.NAM" by default.
    void setDataFileName(std::string name) { m_dataFileName = std::move(name); }

    MainState &state() { return m_state; }
    const MainState &state() const { return m_state; }
    const ContactStore &store() const { return m_store; }
    const std::string &dataFileName() const { return m_dataFileName; }
    // For a change made to the data file from outside the form (a sync): runs
    // it on the open store, then shows the list again. Refused (false) while
    // the form holds unsaved edits or no data file is open.
    // The change is one step of the undo history, of that kind.
    bool changeStore(const std::function<void(ContactStore &, const std::string &path)> &change,
                     StepKind kind = StepKind::Sync);
    // The form differs from the contact it shows, or holds a new contact.
    bool hasUnsavedEdits() const;
    // The record number of the stored contact the form shows; -1 for none
    // (a new contact, or an empty form). Every command acts on this contact.
    std::int64_t shownRecord() const { return m_shownRecord; }
    // Sync's entry in the list's menu: why it cannot run now (empty: it can),
    // and what it does.
    struct SyncEntry {
        std::function<QString()> notReady;
        std::function<void()> run;
    };
    void setSyncEntry(SyncEntry entry) { m_syncEntry = std::move(entry); }
    const ContactListModel &listModel() const { return *m_listModel; }
    // The search over the list (Ctrl+F, or the list's menu).
    ContactSearch &search() const { return *m_search; }
    void openSearch();
    // "Find duplicates...": the window of groups, merges and pairs set apart.
    void openDuplicates();
    const MainTexts &texts() const { return m_texts; }

    // Operations of the window.
    void ReadVcqReg();
    // The language the window's texts are in (the stored setting's).
    Language language() const;
    void FormShow();
    void OpenFile(const std::string &name);
    void WriteFirstRecord();
    void CloseAll();
    void ExitVcq97();
    ContactRecord StoreInData() const;
    void FillTextBox();
    void NewButClick();
    void SaveButClick();
    void TrashButClick();
    void ConfigButClick();
    void PrintButClick();
    void AddItem();
    void ModifyItem();
    void RemoveItem(bool writeTombstone);
    void SetPosListe(int row);
    // The row of the selected list entry, or -1.
    int selectedRow() const;
    // The row of the contact the form shows, or -1.
    int shownRow() const;
    // After the store's contacts changed wholesale (an import): the list is
    // sorted again, the selected contact stays selected when it is still
    // there, and the commands follow whether any contact is left.
    void contactsChangedInStore();

    // Shows the message for an error that ended a command, in the window's language.
    void reportError(std::exception_ptr error);

    // Import and export of contacts (tfrm_main_interop.cpp).
    // Imports the files into the open data file behind a progress dialog that
    // can cancel, then shows the report.
    void importContacts(const QStringList &files, bool allowDuplicates);
    // Files the program was started with: once the data file is open, asks
    // whether to import them, then imports them as a drop does.
    void offerImport(const QStringList &files);
    void ImportContactsClick();
    void ExportAllClick();
    void ExportThisClick();
    // The list's context menu, built anew each time with the current texts
    // and states; the right mouse button, the Menu key and Shift+F10 open it.
    QMenu *createListMenu(QWidget *parent);
    ListMenuState listMenuState() const;
    void runListCommand(ListCommand command);

    // Undo, redo and the bin (tfrm_main_undo.cpp).
    void UndoClick();
    void RedoClick();
    void DeletedContactsClick();
    // Restores the bin's entries as one step and selects what came back.
    void restoreFromBinEntries(const std::vector<std::uint64_t> &numbers);
    const UndoHistory &undoHistory() const { return *m_history; }
    // The undo keys pressed in this widget of the window are the widget's
    // own: a field with typing not saved yet.
    bool fieldKeepsUndoKey(QWidget *widget, bool redo) const;
    // Clears the history when another program wrote the data file, and says
    // so once; true when it did.
    bool checkOutsideChange();

    // Birthdays (tfrm_main_birthdays.cpp): the window of the coming ones,
    // showing a contact chosen there, and the reminder at start-up (once,
    // unless the settings turn it off; answers whether one was started).
    void BirthdaysClick();
    void showContact(std::int64_t recordNumber);
    bool remindOfBirthdays();

public slots:
    // Sets every text of the window, the quick dialer's included, and
    // rebuilds the status list in that language.
    void ChooseLanguage(vcq::Language language);

signals:
    // The program is to end: Quit, closing the window, or a cancelled password.
    void exitRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void buildCommandColumn();
    void buildForm();
    void setTabOrder();
    void applyTexts(const MainTexts &texts);
    void rebuildStatusList(Language language);
    void fitStatusListWidth();

    void setSaveEnabled(bool on);
    void setDeleteEnabled(bool on);
    void setPrintEnabled(bool on);
    void showLoadedList();
    void showRecord(const ContactRecord &record);
    // Fills a field's control with stored bytes and remembers them, so that
    // what the user leaves alone is saved back byte for byte.
    void showField(Field f, const std::string &bytes);
    // Takes an edit of the field's text into its remembered bytes.
    void followEdit(Field f);
    void followFieldEdits();
    // The bytes Save stores for a field.
    std::string fieldBytes(Field f) const;
    QString fieldText(Field f) const;
    QLineEdit *lineEditOf(Field f) const;
    QWidget *widgetOf(Field f) const; // the field's control, whatever its kind
    void clearControls();
    void setStatusText(const QString &text);
    int selectedStatusIndex() const;
    void limitCommentLength();
    // The label of the first field holding text the data file cannot store.
    QString unstorableFieldLabel() const;
    void savePosition();
    // The one ending: the position stored, the file closed, exitRequested.
    void endProgram();
    void lstListClick();
    // The list's highlight moved by a click or a key: the form follows it,
    // or it goes back to the contact the form shows.
    void highlightMoved();
    // The form now shows this stored contact (or none, -1).
    void rememberShown(std::int64_t record, const ContactRecord &shown);
    void setupListMenu();
    void showListMenu(const QPoint &globalPos);
    void setupInterop();
    void setupSearch();
    void exportNodes(const std::vector<const ContactNode *> &nodes, const QString &suggestedName);
    QString rememberedFolder(const char *valueName);
    void rememberFolder(const char *valueName, const QString &folder);
    QString storeErrorText(const StoreError &error) const;
    void setupUndo();
    void replayStep(bool redo);
    void showStepResult(const std::vector<std::int32_t> &shown, std::int64_t recordBefore,
                        int rowBefore);

    // Runs a command as an event handler: an error ends it and is reported.
    template <typename F> void guarded(F &&command)
    {
        try {
            command();
        } catch (...) {
            reportError(std::current_exception());
        }
    }

    MainState m_state;
    MainTexts m_texts;
    ContactStore m_store;
    std::unique_ptr<UndoHistory> m_history; // listens to m_store, so it goes first
    std::string m_dataFileName = kDataFileName;
    PasswordCheck m_passwordCheck;
    PositionWriter m_positionWriter;
    TfrmOptions *m_optionsDialog = nullptr;
    QDialog *m_printDialog = nullptr;
    bool m_shownOnce = false;
    QPoint m_placeGiven; // where the window was placed before it first showed
    bool m_ended = false;
    bool m_selectingByProgram = false;
    bool m_fillingComment = false;
    std::array<FieldBytes, kContactFieldCount> m_shownBytes;
    bool m_allowDuplicates = false; // as last chosen in the import dialog
    std::int64_t m_shownRecord = -1;
    ContactRecord m_shownContact; // as the form was filled or last saved
    SyncEntry m_syncEntry;

    ContactListModel *m_listModel = nullptr;
    ContactSearch *m_search = nullptr;
    QuickDial *m_quickDial = nullptr;
    std::future<QImage> m_notebook;
    QPixmap m_background;

public:
    // The controls, by the names the rest of the program knows them by.
    ContactListView *lstList = nullptr;
    QLineEdit *txtLastName = nullptr, *txtFirstName = nullptr, *txtOrganisation = nullptr,
              *txtAddress1 = nullptr, *txtCity = nullptr, *txtZip = nullptr, *txtState = nullptr,
              *txtCountry = nullptr, *txtPhone1 = nullptr, *txtPhone2 = nullptr,
              *txtPhone3 = nullptr, *txtCell = nullptr, *txtEmail = nullptr;
    QComboBox *cboFilter = nullptr;
    QPlainTextEdit *txtComment = nullptr;
    BirthDateEdit *txtBirth = nullptr;
    QWidget *Panel2 = nullptr;
    // The settings component: read at creation, the position written at the end.
    TRegAppDefaultUserConfig *RegAppDefaultUserConfig1 = nullptr;
    TExplorerButton *NewBut = nullptr, *SaveBut = nullptr, *TrashBut = nullptr, *PrintBut = nullptr,
                    *ConfigBut = nullptr, *ExitBut = nullptr;
    QToolButton *cmdDial1 = nullptr, *cmdDial2 = nullptr, *cmdDial3 = nullptr, *cmdDial4 = nullptr;
    QLabel *lblName = nullptr, *lblFirst = nullptr, *lblAddress = nullptr, *lblCity = nullptr,
           *lblZip = nullptr, *lblState = nullptr, *lblCountry = nullptr, *lblPhone1 = nullptr,
           *lblPhone2 = nullptr, *lblCell = nullptr, *lblFax = nullptr, *lblOrganisation = nullptr,
           *lblEmail = nullptr, *lblComment = nullptr, *lblBirth = nullptr, *lblFilter = nullptr;
};

} // namespace vcq
