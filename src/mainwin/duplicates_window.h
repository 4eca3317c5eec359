// SPDX-License-Identifier: GPL-3.0-or-later
// "Find duplicates...": the groups of contacts that are likely one person,
// certain ones first, each with why; a group chosen shows its contacts side
// by side, field by field, the merged result preselected and each field's
// value open to choice. Merge saves the result into one contact and deletes
// the others, through the main window's store; "Not duplicates" remembers
// the group's pairs beside the data file. The search runs on a second thread
// with its progress shown, so the window stays responsive.
#pragma once

#include "core/language.h"
#include "duplicates/duplicate_finder.h"
#include "duplicates/merge_plan.h"
#include "duplicates/not_duplicates.h"
#include "store/contact_snapshot.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace vcq
{

class ContactStore;

class DuplicatesWindow : public QDialog
{
    Q_OBJECT
public:
    using StoreChange = std::function<void(ContactStore &, const std::string &path)>;
    // change runs a change on the program's open store and shows the list
    // again; false when refused (the form holds unsaved edits).
    DuplicatesWindow(std::string dataFilePath, std::function<bool(const StoreChange &)> change,
                     Language language, QWidget *parent = nullptr);
    ~DuplicatesWindow() override;

    void ChooseLanguage(vcq::Language language);
    // Looks for the groups again, on a second thread.
    void find();
    bool searching() const { return m_worker.joinable() && !m_done; }

    QLabel *lblStatus;
    QProgressBar *prgFind;
    QLabel *lblGroups;
    QListWidget *lstGroups;
    QLabel *lblFields;
    QTableWidget *tblFields;
    QLabel *lblNotKept;
    QPushButton *btnMerge;
    QPushButton *btnNotDuplicates;
    QPushButton *btnClose;

signals:
    void searchFinished();

private:
    struct Found;
    void showFound(std::shared_ptr<Found> found);
    void showGroup(int row);
    void cellChanged(QTableWidgetItem *item);
    void showResult();
    void btnMergeClick();
    void btnNotDuplicatesClick();
    void stopWorker();
    QString text(const char *english, const char *french) const;

    std::string m_dataFilePath;
    std::function<bool(const StoreChange &)> m_change;
    Language m_language;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{true};
    std::shared_ptr<Found> m_found;
    int m_group = -1;
    std::vector<ContactRecord> m_contacts; // of the group shown
    duplicates::MergePlan m_plan;
    bool m_filling = false;
    int m_generation = 0; // of the search whose groups are shown, or running
};

} // namespace vcq
