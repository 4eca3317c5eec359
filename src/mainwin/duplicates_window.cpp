// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicates_window.h"

#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "duplicates/duplicate_texts.h"
#include "duplicates/merge_apply.h"
#include "store/contact_store.h"
#include "store/slot_reuse.h"
#include "store/store_error_texts.h"
#include "sync/change_times.h"
#include "sync/merge_carry.h"
#include "widgets/named_widget.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstring>

namespace vcq
{

using namespace vcq::duplicates;

struct DuplicatesWindow::Found {
    std::unique_ptr<ContactSnapshot> snapshot;
    std::vector<DuplicateGroup> groups;
    SlotReuses reuses;
    NotDuplicates apart;
    QString problem; // the search failed: why
};

namespace
{

QString plain(std::string_view cp1252)
{
    QString text = fromCp1252(trimBlanksAndControls(cp1252));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

DuplicatesWindow::DuplicatesWindow(std::string dataFilePath,
                                   std::function<bool(const StoreChange &)> change,
                                   Language language, QWidget *parent)
    : QDialog(parent), m_dataFilePath(std::move(dataFilePath)), m_change(std::move(change)),
      m_language(language)
{
    setObjectName("frmDuplicates");
    lblStatus = makeNamed<QLabel>(this, "lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    prgFind = makeNamed<QProgressBar>(this, "prgFind");
    prgFind->setRange(0, 100);
    lblGroups = makeNamed<QLabel>(this, "lblGroups");
    lstGroups = makeNamed<QListWidget>(this, "lstGroups");
    lblGroups->setBuddy(lstGroups);
    lblFields = makeNamed<QLabel>(this, "lblFields");
    tblFields = makeNamed<QTableWidget>(this, "tblFields");
    lblFields->setBuddy(tblFields);
    tblFields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFields->setSelectionMode(QAbstractItemView::SingleSelection);
    tblFields->setTabKeyNavigation(false);
    tblFields->setWordWrap(false);
    lblNotKept = makeNamed<QLabel>(this, "lblNotKept");
    lblNotKept->setTextFormat(Qt::PlainText);
    lblNotKept->setWordWrap(true);
    btnMerge = makeNamed<QPushButton>(this, "btnMerge");
    btnNotDuplicates = makeNamed<QPushButton>(this, "btnNotDuplicates");
    btnClose = makeNamed<QPushButton>(this, "btnClose");

    auto *top = new QVBoxLayout(this);
    top->addWidget(lblStatus);
    top->addWidget(prgFind);
    auto *middle = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(lblGroups);
    left->addWidget(lstGroups);
    auto *right = new QVBoxLayout;
    right->addWidget(lblFields);
    right->addWidget(tblFields);
    right->addWidget(lblNotKept);
    middle->addLayout(left, 2);
    middle->addLayout(right, 3);
    top->addLayout(middle, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnMerge);
    buttons->addWidget(btnNotDuplicates);
    buttons->addWidget(btnClose);
    top->addLayout(buttons);
    resize(900, 520);

    connect(lstGroups, &QListWidget::currentRowChanged, this, [this](int row) { showGroup(row); });
    connect(tblFields, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { cellChanged(item); });
    connect(btnMerge, &QPushButton::clicked, this, [this] { btnMergeClick(); });
    connect(btnNotDuplicates, &QPushButton::clicked, this, [this] { btnNotDuplicatesClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    ChooseLanguage(language);
    showGroup(-1);
}

DuplicatesWindow::~DuplicatesWindow()
{
    stopWorker();
}

QString DuplicatesWindow::text(const char *english, const char *french) const
{
    return QString::fromUtf8(m_language == Language::French ? french : english);
}

void DuplicatesWindow::ChooseLanguage(Language language)
{
    m_language = language;
    setWindowTitle(text("Find duplicates", "Rechercher les doublons"));
    lblGroups->setText(text("&Groups (certain first):", "&Groupes (certains d'abord) :"));
    lblFields->setText(text("&Contacts side by side: tick the value to keep in each field",
                            "&Contacts côte à côte : cochez la valeur à garder dans chaque champ"));
    btnMerge->setText(text("&Merge", "&Fusionner"));
    btnNotDuplicates->setText(text("&Not duplicates", "&Pas des doublons"));
    btnClose->setText(text("Close", "Fermer"));
    lstGroups->setAccessibleName(text("Groups of duplicates", "Groupes de doublons"));
    tblFields->setAccessibleName(text("Contacts side by side", "Contacts côte à côte"));
    prgFind->setAccessibleName(text("Search progress", "Progression de la recherche"));
    lblStatus->setAccessibleName(text("Status", "État"));
    lblNotKept->setAccessibleName(text("Values not kept", "Valeurs non gardées"));
    btnMerge->setAccessibleName(text("Merge", "Fusionner"));
    btnNotDuplicates->setAccessibleName(text("Not duplicates", "Pas des doublons"));
    btnClose->setAccessibleName(text("Close", "Fermer"));
    if (m_found)
        showFound(m_found);
}

void DuplicatesWindow::stopWorker()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
}

void DuplicatesWindow::find()
{
    stopWorker();
    m_done = false;
    lblStatus->setText(text("Looking for duplicates...", "Recherche des doublons..."));
    prgFind->setValue(0);
    prgFind->setVisible(true);
    btnMerge->setEnabled(false);
    btnNotDuplicates->setEnabled(false);
    const int generation = ++m_generation;
    m_worker = std::thread([this, generation, path = m_dataFilePath,
                            french = m_language == Language::French] {
        auto found = std::make_shared<Found>();
        const auto progress = [this](double done) {
            QMetaObject::invokeMethod(
                prgFind, [this, done] { prgFind->setValue(int(done * 100)); },
                Qt::QueuedConnection);
            return !m_cancel;
        };
        try {
            // The records as they are now; the program holds the file, so
            // they are copied, not mapped.
            found->snapshot = std::make_unique<ContactSnapshot>(
                readSnapshot(path, SnapshotAccess::Copy, SnapshotList::None));
            std::vector<ContactRef> refs;
            for (std::size_t n = 1; n < found->snapshot->recordCount(); ++n) {
                const ContactRecord &r = found->snapshot->record(std::int64_t(n));
                if (!r.isTombstone())
                    refs.push_back({std::int32_t(n), &r});
            }
            std::error_code error;
            found->reuses = readSlotReuses(path, error);
            if (!error)
                found->apart = NotDuplicates::load(path, found->reuses, error);
            if (error)
                found->problem =
                    QString::fromStdString(NotDuplicates::pathFor(path) + ": " + error.message());
            FinderOptions options;
            options.notDuplicates = &found->apart;
            options.threads = std::max(1u, std::thread::hardware_concurrency());
            options.progress = progress;
            if (found->problem.isEmpty())
                found->groups = findDuplicates(refs, options);
        } catch (const StoreError &e) {
            found->problem = QString::fromStdString(path + ": " + storeErrorMessage(e, french));
        }
        m_done = true;
        if (!m_cancel)
            QMetaObject::invokeMethod(
                this,
                [this, found, generation] {
                    // A search started since makes this one's groups stale.
                    if (generation == m_generation)
                        showFound(found);
                },
                Qt::QueuedConnection);
    });
}

void DuplicatesWindow::showFound(std::shared_ptr<Found> found)
{
    if (m_worker.joinable() && m_done)
        m_worker.join();
    m_found = std::move(found);
    prgFind->setVisible(false);
    const QSignalBlocker blocker(lstGroups);
    lstGroups->clear();
    if (!m_found->problem.isEmpty()) {
        lblStatus->setText(m_found->problem);
        showGroup(-1);
        emit searchFinished();
        return;
    }
    std::size_t certain = 0;
    for (const DuplicateGroup &g : m_found->groups) {
        certain += g.certainty == Certainty::Certain;
        const ContactRecord &first = m_found->snapshot->record(g.records.front());
        const bool french = m_language == Language::French;
        lstGroups->addItem(QString::fromStdString(certaintyText(g.certainty, french)) + ": " +
                           QString::fromStdString(reasonText(g, french)) + " - " +
                           plain(first.view(Field::LastName)) + ' ' +
                           plain(first.view(Field::FirstName)) +
                           QString(" (%1)").arg(g.records.size()));
    }
    lblStatus->setText(m_found->groups.empty()
                           ? text("No duplicates found.", "Aucun doublon trouvé.")
                           : text("Groups found: %1 (certain: %2, possible: %3).",
                                  "Groupes trouvés : %1 (certains : %2, possibles : %3).")
                                 .arg(m_found->groups.size())
                                 .arg(certain)
                                 .arg(m_found->groups.size() - certain));
    lstGroups->setCurrentRow(m_found->groups.empty() ? -1 : 0);
    showGroup(lstGroups->currentRow());
    emit searchFinished();
}

void DuplicatesWindow::showGroup(int row)
{
    m_group = row;
    const QSignalBlocker blocker(tblFields);
    m_filling = true;
    tblFields->clear();
    m_contacts.clear();
    const bool shown = m_found && row >= 0 && std::size_t(row) < m_found->groups.size();
    btnMerge->setEnabled(shown);
    btnNotDuplicates->setEnabled(shown);
    lblNotKept->clear();
    if (!shown) {
        tblFields->setRowCount(0);
        tblFields->setColumnCount(0);
        m_filling = false;
        return;
    }
    const DuplicateGroup &g = m_found->groups[std::size_t(row)];
    for (const std::int32_t n : g.records)
        m_contacts.push_back(m_found->snapshot->record(n));
    m_plan = preselect(
        g.records, m_contacts,
        sync::lastChangeTimes(QString::fromStdString(m_dataFilePath), g.records, m_contacts));
    const bool french = m_language == Language::French;
    const int columns = int(g.records.size());
    tblFields->setRowCount(kContactFieldCount);
    tblFields->setColumnCount(columns + 1);
    QStringList headers;
    for (const std::int32_t n : g.records)
        headers << QString("#%1").arg(n);
    headers << text("Result", "Résultat");
    tblFields->setHorizontalHeaderLabels(headers);
    QStringList rows;
    for (int f = 0; f < kContactFieldCount; ++f)
        rows << QString::fromStdString(fieldName(Field(f), french));
    tblFields->setVerticalHeaderLabels(rows);
    for (int f = 0; f < kContactFieldCount; ++f)
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem(plain(m_contacts[std::size_t(c)].view(Field(f))));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(m_plan.choice[std::size_t(f)] == std::size_t(c) ? Qt::Checked
                                                                                : Qt::Unchecked);
            tblFields->setItem(f, c, item);
        }
    m_filling = false;
    showResult();
    tblFields->resizeColumnsToContents();
}

void DuplicatesWindow::cellChanged(QTableWidgetItem *item)
{
    if (m_filling || m_group < 0 || item->column() >= int(m_contacts.size()))
        return;
    const int f = item->row();
    const auto c = std::size_t(item->column());
    if (item->checkState() == Qt::Checked)
        m_plan.choice[std::size_t(f)] = c;
    // One value a field: the one ticked last, and never none.
    m_filling = true;
    for (int other = 0; other < int(m_contacts.size()); ++other)
        tblFields->item(f, other)->setCheckState(
            m_plan.choice[std::size_t(f)] == std::size_t(other) ? Qt::Checked : Qt::Unchecked);
    m_filling = false;
    showResult();
}

void DuplicatesWindow::showResult()
{
    const bool french = m_language == Language::French;
    const MergeResult result = mergeContacts(m_plan, m_contacts, alsoLabel(french));
    const int column = int(m_contacts.size());
    const QSignalBlocker blocker(tblFields);
    for (int f = 0; f < kContactFieldCount; ++f) {
        QString value = fromCp1252(result.contact.view(Field(f)));
        value.replace(u'\n', u' ');
        auto *item = new QTableWidgetItem(value);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setToolTip(fromCp1252(result.contact.view(Field(f))));
        tblFields->setItem(f, column, item);
    }
    QStringList lost;
    for (const LostValue &l : result.notKept)
        lost << QString::fromStdString(fieldName(l.field, french)) + ' ' + plain(l.value);
    lblNotKept->setText(lost.isEmpty() ? QString()
                                       : text("No room left in the remarks, not kept: %1",
                                              "Plus de place dans les remarques, non gardé : %1")
                                             .arg(lost.join(", ")));
}

void DuplicatesWindow::btnMergeClick()
{
    if (!m_found || m_group < 0)
        return;
    const bool french = m_language == Language::French;
    const MergeResult result = mergeContacts(m_plan, m_contacts, alsoLabel(french));
    QString question =
        text("Merge these %1 contacts into one?", "Fusionner ces %1 contacts en un ?")
            .arg(m_contacts.size());
    if (!result.notKept.empty())
        question += "\n" + lblNotKept->text();
    if (!askConfirmation(this, question))
        return;
    MergeOutcome outcome = MergeOutcome::Changed;
    const MergePlan plan = m_plan;
    const std::vector<ContactRecord> seen = m_contacts;
    const bool ran = m_change([&](ContactStore &store, const std::string &) {
        outcome = applyMerge(store, plan, seen, result.contact);
        if (outcome != MergeOutcome::Merged)
            return;
        std::vector<std::int32_t> gone;
        for (std::size_t i = 0; i < plan.records.size(); ++i)
            if (i != plan.keep)
                gone.push_back(plan.records[i]);
        sync::carryCardsIntoKept(QString::fromStdString(m_dataFilePath), plan.records[plan.keep],
                                 gone);
    });
    if (!ran)
        showPlainMessage(this,
                         text("Save or cancel the changes in the form first.",
                              "Enregistrez ou annulez d'abord les changements du formulaire."));
    else if (outcome == MergeOutcome::Changed)
        showPlainMessage(this, text("These contacts changed since they were read: look at them "
                                    "again.",
                                    "Ces contacts ont changé depuis leur lecture : regardez-les "
                                    "de nouveau."));
    find();
}

void DuplicatesWindow::btnNotDuplicatesClick()
{
    if (!m_found || m_group < 0)
        return;
    const int error = m_found->apart.remember(m_dataFilePath, m_found->reuses,
                                              m_found->groups[std::size_t(m_group)].records);
    if (error != 0) {
        showPlainMessage(this, QString::fromStdString(NotDuplicates::pathFor(m_dataFilePath)) +
                                   ": " + QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    find();
}

} // namespace vcq
