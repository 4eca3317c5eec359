// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_search.h"

#include "contact_list_model.h"
#include "contact_list_view.h"
#include "search/query_text.h"
#include "store/contact_store.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vcq
{

namespace
{

TextPair placeholderText()
{
    return {"Rechercher", "Search"};
}

// Reads every record of the data file into a new index; null when stopped.
std::shared_ptr<search::SearchIndex> buildIndex(const std::string &path,
                                                const std::atomic<bool> &stop)
{
    auto index = std::make_shared<search::SearchIndex>();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return index;
    struct stat st {
    };
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        index->reserve(std::size_t(st.st_size) / kRecordSize);
    constexpr std::size_t kBatch = 4096;
    std::vector<unsigned char> buffer(kBatch * kRecordSize);
    std::int64_t record = 1; // after the header
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) {
            ::close(fd);
            return nullptr;
        }
        const ssize_t got =
            ::pread(fd, buffer.data(), buffer.size(), off_t(record) * off_t(kRecordSize));
        if (got < ssize_t(kRecordSize))
            break;
        const std::size_t whole = std::size_t(got) / kRecordSize;
        for (std::size_t i = 0; i < whole; ++i, ++record) {
            const ContactRecord r = ContactRecord::fromBytes(buffer.data() + i * kRecordSize);
            if (!r.isTombstone() && record <= std::numeric_limits<std::int32_t>::max())
                index->set(std::int32_t(record), r);
        }
    }
    ::close(fd);
    return index;
}

} // namespace

ContactSearch::ContactSearch(ContactListView *list, ContactListModel *model,
                             const ContactStore &store, Hooks hooks, QObject *parent)
    : QObject(parent), m_list(list), m_model(model), m_store(store), m_hooks(std::move(hooks))
{
    m_field = new QLineEdit(list->parentWidget());
    m_field->setObjectName("txtSearch");
    m_field->setClearButtonEnabled(false);
    m_field->hide();
    m_count = new QLabel(m_field);
    m_count->setObjectName("lblSearchCount");
    m_count->setTextFormat(Qt::PlainText);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_count->setForegroundRole(QPalette::PlaceholderText);
    m_field->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, [this] { textEdited(); });
    connect(m_model, &ContactListModel::contactTouched, this, &ContactSearch::contactTouched);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // A filter set by the search resets too; only a reset of the list
        // itself (a load, an import) leaves the model unfiltered with no rows.
        if (!m_settingFilter)
            listReset();
    });
    setLanguage(m_language);
}

ContactSearch::~ContactSearch()
{
    m_stopBuilding = true;
    if (m_builder.joinable())
        m_builder.join();
}

void ContactSearch::setLanguage(Language language)
{
    m_language = language;
    m_field->setPlaceholderText(placeholderText().in(language));
    m_field->setAccessibleName(placeholderText().in(language));
    showCount();
}

void ContactSearch::startIndexing()
{
    m_stopBuilding = true;
    if (m_builder.joinable())
        m_builder.join();
    m_stopBuilding = false;
    m_index.reset();
    m_touchedWhileBuilding.clear();
    m_lastValid = false;
    m_building = true;
    const std::uint64_t generation = ++m_generation;
    m_builder = std::thread([this, path = m_path, generation] {
        auto index = buildIndex(path, m_stopBuilding);
        if (!index)
            return;
        QMetaObject::invokeMethod(
            this, [this, index, generation] { indexBuilt(index, generation); },
            Qt::QueuedConnection);
    });
    showCount();
}

void ContactSearch::indexBuilt(std::shared_ptr<search::SearchIndex> index, std::uint64_t generation)
{
    if (generation != m_generation)
        return;
    if (m_builder.joinable())
        m_builder.join();
    m_building = false;
    m_index = std::make_unique<search::SearchIndex>(std::move(*index));
    // What changed while the file was read is taken from the store as it is now.
    for (const std::int64_t record : m_touchedWhileBuilding) {
        if (const ContactNode *node = m_store.list().findRecord(record))
            m_index->set(std::int32_t(record), node->record());
        else
            m_index->remove(std::int32_t(record));
    }
    m_touchedWhileBuilding.clear();
    if (isOpen() && !m_field->text().isEmpty())
        runQuery();
    showCount();
    if (std::exchange(m_showFirstWhenReady, false))
        showFirst();
}

void ContactSearch::showFirst()
{
    if (isOpen() && m_model->count() > 0 && m_hooks.showRow)
        m_hooks.showRow(0);
}

void ContactSearch::contactTouched(qint64 record, bool removed)
{
    m_lastValid = false;
    if (m_building) {
        m_touchedWhileBuilding.insert(record);
        return;
    }
    if (!m_index || record < 0 || record > std::numeric_limits<std::int32_t>::max())
        return;
    if (removed) {
        m_index->remove(std::int32_t(record));
        return;
    }
    if (const ContactNode *node = m_store.list().findRecord(record))
        m_index->set(std::int32_t(record), node->record());
    showCount();
}

void ContactSearch::listReset()
{
    // Loaded or imported wholesale: read the file again.
    if (!m_index && !m_building)
        return;
    startIndexing(); // the search runs again once the index is built
}

bool ContactSearch::isOpen() const
{
    return m_field->isVisible();
}

void ContactSearch::open()
{
    // Built when first asked for, so a user who never searches never pays.
    if (!m_index && !m_building)
        startIndexing();
    if (!isOpen()) {
        m_listPlace = m_list->geometry();
        m_field->show();
        layoutList();
    }
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void ContactSearch::close()
{
    if (!isOpen())
        return;
    const bool hadFocus = m_field->hasFocus();
    m_field->blockSignals(true);
    m_field->clear();
    m_field->blockSignals(false);
    m_field->hide();
    m_list->setGeometry(m_listPlace);
    refilter([this] { m_model->clearFilter(); });
    m_lastValid = false;
    if (hadFocus)
        m_list->setFocus(Qt::OtherFocusReason);
}

void ContactSearch::layoutList()
{
    const int height = m_field->sizeHint().height();
    m_field->setGeometry(m_listPlace.left(), m_listPlace.top(), m_listPlace.width(), height);
    m_list->setGeometry(m_listPlace.adjusted(0, height + 2, 0, 0));
    showCount();
}

void ContactSearch::textEdited()
{
    // Keystrokes that arrive together give one search, for the last text.
    if (m_queryPending)
        return;
    m_queryPending = true;
    QTimer::singleShot(0, this, [this] {
        m_queryPending = false;
        runQuery();
    });
}

void ContactSearch::runQuery()
{
    const search::SearchQuery query = search::parseQueryText(m_field->text());
    if (query.empty()) {
        refilter([this] { m_model->clearFilter(); });
        m_lastValid = false;
        showCount();
        return;
    }
    if (!m_index) { // answered once the index is built
        showCount();
        return;
    }
    const bool narrow = m_lastValid && query.narrows(m_lastQuery);
    if (!narrow)
        m_lastResult = {}; // not held beside the new result
    m_lastResult = m_index->find(query, narrow ? &m_lastResult : nullptr);
    m_lastQuery = query;
    m_lastValid = true;
    refilter([this] { m_model->setFilter(m_lastResult); });
    showCount();
}

void ContactSearch::refilter(const std::function<void()> &change)
{
    // The rows change wholesale; the highlight stays on the form's contact
    // when it is among them.
    const std::int64_t shown = m_hooks.shownRecord ? m_hooks.shownRecord() : -1;
    m_settingFilter = true;
    change();
    m_settingFilter = false;
    const int row = shown < 0 ? -1 : m_model->rowOfRecord(shown);
    if (row >= 0 && m_hooks.selectQuietly)
        m_hooks.selectQuietly(row);
}

QString ContactSearch::countText() const
{
    if (!isOpen() || m_field->text().trimmed().isEmpty())
        return {};
    if (!m_index)
        return QStringLiteral("…");
    const int n = m_model->count();
    const bool french = m_language == Language::French;
    if (n == 0)
        return french ? QStringLiteral("Aucun contact") : QStringLiteral("No contact");
    if (n == 1)
        return QStringLiteral("1 contact");
    return QStringLiteral("%1 contacts").arg(n);
}

void ContactSearch::showCount()
{
    const QString text = countText();
    m_count->setText(text);
    const int width = text.isEmpty() ? 0 : m_count->fontMetrics().horizontalAdvance(text) + 8;
    m_field->setTextMargins(0, 0, width, 0);
    m_count->setGeometry(m_field->width() - width - 4, 0, width, m_field->height());
    m_field->setAccessibleDescription(text);
}

bool ContactSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !isOpen())
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        close();
        return true;
    }
    if (watched != m_field)
        return false;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (m_queryPending) { // the last keystroke's search first
            m_queryPending = false;
            runQuery();
        }
        if (!m_index) // answered once the index is read
            m_showFirstWhenReady = true;
        else
            showFirst();
        return true;
    }
    if (key->key() == Qt::Key_Down) {
        m_list->setFocus(Qt::TabFocusReason);
        if (m_list->selectionModel() && !m_list->selectionModel()->hasSelection() &&
            m_model->count() > 0 && m_hooks.showRow)
            m_hooks.showRow(0);
        return true;
    }
    return false;
}

} // namespace vcq
