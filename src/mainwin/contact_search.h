// SPDX-License-Identifier: GPL-3.0-or-later
// The search over the contact list: a field over the top of the list, opened
// with Ctrl+F or the list's menu and closed with Escape, that narrows the
// list to the contacts holding every word typed. The index it searches is
// built from the data file on a thread of its own after the window is shown,
// and follows every change of the list from then on.
#pragma once

#include "core/language.h"
#include "search/search_index.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>

class QLabel;
class QLineEdit;

namespace vcq
{

class ContactListModel;
class ContactListView;
class ContactStore;

class ContactSearch : public QObject
{
    Q_OBJECT
public:
    // Selects a row without the form following it, or shows the row's contact
    // in the form (with the usual rules for unsaved edits).
    struct Hooks {
        std::function<void(int row)> selectQuietly;
        std::function<void(int row)> showRow;
        // The record the form shows, or -1.
        std::function<std::int64_t()> shownRecord;
    };

    ContactSearch(ContactListView *list, ContactListModel *model, const ContactStore &store,
                  Hooks hooks, QObject *parent = nullptr);
    ~ContactSearch() override;

    void setDataFile(const std::string &path) { m_path = path; }
    // Starts building the index, once the window is up.
    void startIndexing();
    void setLanguage(Language language);

    bool isOpen() const;
    void open();
    // Clears the search: the whole list comes back, the form's contact selected.
    void close();
    QLineEdit *field() const { return m_field; }
    // The number of contacts shown, as the field says it ("12 contacts").
    QString countText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void textEdited();
    void runQuery();
    void indexBuilt(std::shared_ptr<search::SearchIndex> index, std::uint64_t generation);
    void contactTouched(qint64 record, bool removed);
    void listReset();
    void showCount();
    void showFirst();
    void layoutList();
    void refilter(const std::function<void()> &change);

    ContactListView *m_list;
    ContactListModel *m_model;
    const ContactStore &m_store;
    Hooks m_hooks;
    std::string m_path;
    Language m_language = Language::English;
    QLineEdit *m_field = nullptr;
    QLabel *m_count = nullptr;
    QRect m_listPlace; // the list's place with no search open

    std::unique_ptr<search::SearchIndex> m_index; // null until built
    std::thread m_builder;
    std::atomic<bool> m_stopBuilding{false};
    std::uint64_t m_generation = 0; // of the build under way
    bool m_building = false;
    std::set<std::int64_t> m_touchedWhileBuilding;

    bool m_settingFilter = false; // the model's reset is the search's own
    bool m_queryPending = false;
    bool m_showFirstWhenReady = false; // Enter came before the index
    search::SearchQuery m_lastQuery;
    std::vector<std::int32_t> m_lastResult;
    bool m_lastValid = false;
};

} // namespace vcq
