// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_engine.h"

#include "dav_xml.h"
#include "origin.h"

#include "interop/contact_mapping.h"
#include "interop/duplicates.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"
#include "store/private_file.h"

#include <QDateTime>
#include <QFile>
#include <QUuid>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace vcq::sync
{

using interop::VCard;
using interop::VCardVersion;

namespace
{

std::string lowerTrimmed(std::string_view text)
{
    text = trimBlanksAndControls(text);
    std::string out(text);
    for (char &c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string digitsOf(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            out.push_back(c);
    }
    return out;
}

// A field with no text; a birth date is blank when only its mask is left.
bool isBlank(Field f, std::string_view text)
{
    text = trimBlanksAndControls(text);
    if (f == Field::Birth)
        return text.find_first_not_of(" -/") == std::string_view::npos;
    return text.empty();
}

std::optional<VCard> parseCard(const QByteArray &bytes)
{
    interop::VCardReadResult read =
        interop::readVCards(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (read.cards.empty())
        return std::nullopt;
    return std::move(read.cards.front().card);
}

// The properties each group of fields is carried by.
struct PropertyGroup {
    std::vector<Field> fields;
    std::vector<const char *> properties;
};

const std::vector<PropertyGroup> &propertyGroups()
{
    static const std::vector<PropertyGroup> groups = {
        {{Field::LastName, Field::FirstName}, {"N", "FN"}},
        {{Field::Organisation}, {"ORG"}},
        {{Field::Address1, Field::City, Field::Zip, Field::State, Field::Country}, {"ADR"}},
        {{Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3}, {"TEL"}},
        {{Field::Email}, {"EMAIL"}},
        {{Field::Comment}, {"NOTE"}},
        {{Field::Birth}, {"BDAY"}},
        {{Field::Status}, {"CATEGORIES"}},
    };
    return groups;
}

QString uidOfHref(const QString &href)
{
    QString name = hrefKey(href).section(QLatin1Char('/'), -1);
    if (name.endsWith(QLatin1String(".vcf")))
        name.chop(4);
    return name;
}

// Saves of the whole state during the uploads, at most (see upload()).
constexpr std::size_t kSavesPerUpload = 8;

class Run
{
public:
    Run(ContactStore &store, DavClient &client, const SyncOptions &options)
        : m_store(store), m_client(client), m_options(options)
    {
        m_collectionKey = hrefKey(m_options.collection.path(QUrl::FullyEncoded));
        if (!m_collectionKey.endsWith(QLatin1Char('/')))
            m_collectionKey += QLatin1Char('/');
    }

    SyncReport run();

private:
    struct Listing {
        std::map<QString, QByteArray> changed; // href -> etag
        std::set<QString> oversized;           // hrefs listed with a length over the limit
        std::vector<QString> deleted;
        QString token;
    };
    struct ServerCard {
        QString href;
        QByteArray etag;
        QByteArray data;
    };

    // Aborts the run; the state is saved on the way out.
    struct Abort {
        SyncError error;
    };

    void loadState();
    void classifyLocal();
    // Whether a listed member is a card of the address book to take in; one
    // outside it (elsewhere on the server, on another origin, a sub-folder)
    // is reported and never fetched.
    bool admit(const DavResource &r);
    // A card over the size limit: not taken in, reported the first time it is met.
    void leaveOnServer(const QString &href, const QByteArray &etag);
    Listing list();
    bool listSinceToken(Listing &listing);
    void listAll(Listing &listing);
    std::vector<ServerCard> fetch(const std::vector<QString> &hrefs, std::vector<QString> &missing);
    void applyServerCard(const ServerCard &card);
    void applyServerDeletion(const QString &href);
    void upload();
    bool create(int index);
    bool update(int index, int attempts);
    void removeOnServer(int index);
    std::optional<ServerCard> getCard(const QString &href);
    // A card the server holds for an entry, taken in as a server change.
    void takeServerVersion(int index, const ServerCard &card);

    // Local writes, after the one backup of the sync.
    void ensureBackup();
    std::int32_t addLocal(const ContactRecord &record);
    void rewriteLocal(std::int32_t record, const ContactRecord &contact);
    void removeLocal(std::int32_t record);
    void keepConflict(ConflictKind kind, const ContactRecord &local,
                      std::vector<FieldDifference> differences, const ContactRecord *server);

    void save(bool complete);
    void compact();
    QUrl urlOf(const QString &href) const
    {
        return m_options.collection.resolved(QUrl::fromEncoded(href.toUtf8()));
    }
    // A request whose failure stops the sync; an answer over maxBytes does
    // too unless tooLargeIsAnswer (the caller deals with it).
    DavReply send(const QByteArray &method, const QString &href,
                  QList<QPair<QByteArray, QByteArray>> headers, const QByteArray &body = {},
                  qint64 maxBytes = kMaxMultiStatusBytes, bool tooLargeIsAnswer = false)
    {
        DavReply reply = m_client.send({method, urlOf(href), std::move(headers), body, maxBytes});
        if (tooLargeIsAnswer && reply.error == DavErrc::TooLarge)
            return reply;
        if (reply.error != DavErrc::None || reply.status == 401 || reply.status >= 500)
            throw Abort{errorOfReply(reply)};
        return reply;
    }
    void progress(const char *stage, int done, int total)
    {
        if (m_options.progress)
            m_options.progress(stage, done, total);
    }
    std::string nameOf(const ContactRecord &r) const { return interop::contactName(r); }

    ContactStore &m_store;
    DavClient &m_client;
    const SyncOptions &m_options;
    QString m_collectionKey;
    QString m_statePath;
    SyncState m_state;
    SyncIndex m_index;
    std::vector<bool> m_dead; // per entry: to be dropped at the next compaction
    SyncReport m_report;
    bool m_backedUp = false;

    // Local contacts without a card, for matching cards not seen before.
    bool m_matchReady = false;
    std::unordered_multimap<std::string, std::int32_t> m_unmappedExact;
    interop::DuplicateIndex m_unmappedDuplicates;
    std::set<std::int32_t> m_claimed;
};

SyncReport Run::run()
{
    const int requestsBefore = m_client.requestCount();
    try {
        loadState();
        classifyLocal();
        Listing listing = list();

        // Fetch what is new or changed, skipping the cards that are already
        // known (our own uploads come back in the next listing).
        std::vector<QString> wanted;
        for (const auto &[href, etag] : listing.changed) {
            if (listing.oversized.count(href)) {
                leaveOnServer(href, etag);
                continue;
            }
            if (const auto left = m_state.leftOnServer.find(href);
                left != m_state.leftOnServer.end() && !etag.isEmpty() && left->second == etag)
                continue; // still the card that was too large
            const int i = m_index.byHref(href);
            if (i >= 0 && !m_state.entries[std::size_t(i)].etag.isEmpty() &&
                m_state.entries[std::size_t(i)].etag == etag &&
                m_state.entries[std::size_t(i)].onServer)
                continue;
            wanted.push_back(href);
        }
        std::vector<QString> missing;
        const std::vector<ServerCard> cards = fetch(wanted, missing);
        int done = 0;
        for (const ServerCard &card : cards) {
            m_state.leftOnServer.erase(card.href);
            applyServerCard(card);
            progress("apply", ++done, int(cards.size()));
        }
        for (const QString &href : listing.deleted) {
            m_state.leftOnServer.erase(href);
            applyServerDeletion(href);
        }
        for (const QString &href : missing) {
            m_state.leftOnServer.erase(href);
            applyServerDeletion(href);
        }
        m_state.syncToken = listing.token;
        compact();
        save(m_state.complete);

        upload();
        compact();
        save(true);
    } catch (const Abort &abort) {
        m_report.error = abort.error;
    } catch (const StoreError &e) {
        m_report.error = {SyncErrc::DataFile, 0, QString::fromLocal8Bit(e.what()), {}};
    }
    if (m_report.error && m_report.error.code != SyncErrc::StateFile && !m_statePath.isEmpty()) {
        // What was done so far is kept, so the next sync goes on from there.
        compact();
        QString problem;
        saveSyncState(m_statePath, m_state, &problem);
    }
    m_report.requests = m_client.requestCount() - requestsBefore;
    return m_report;
}

void Run::loadState()
{
    m_statePath = syncStatePath(m_options.dataFilePath);
    QString problem;
    if (loadSyncState(m_statePath, m_state, &problem) == StateLoad::Damaged)
        m_report.stateProblem = problem;
    const QString collection = m_options.collection.toString();
    if (m_state.collection != collection) {
        // Another address book: nothing of the old state applies to it.
        m_state = {};
        m_state.collection = collection;
    }
    // Cards an earlier version took in from outside the address book: no
    // longer tied to anything there (never written to or deleted); their
    // contacts stay here and go to the address book as new cards.
    std::erase_if(m_state.entries, [this](const SyncEntry &e) {
        return !isMemberHref(m_options.collection, e.href);
    });
    m_dead.assign(m_state.entries.size(), false);
    m_index.rebuild(m_state);
}

// Before anything is written: which synced contacts are gone here, and which
// slots now hold another contact. Later additions may reuse those slots.
void Run::classifyLocal()
{
    for (SyncEntry &e : m_state.entries) {
        if (e.record < 0)
            continue;
        const ContactNode *node = m_store.list().findRecord(e.record);
        if (!node || !sameContact(e.synced, node->record()))
            e.record = -1;
    }
    m_index.rebuild(m_state);
}

bool Run::admit(const DavResource &r)
{
    QString href = r.href;
    if (r.isCollection && href.endsWith(QLatin1Char('/')))
        href.chop(1); // a sub-collection is passed over quietly
    if (!isMemberHref(m_options.collection, href)) {
        m_report.outside << r.href;
        return false;
    }
    return !r.isCollection;
}

void Run::leaveOnServer(const QString &href, const QByteArray &etag)
{
    const auto known = m_state.leftOnServer.find(href);
    if (known == m_state.leftOnServer.end() || etag.isEmpty() || known->second != etag)
        m_report.tooLarge << href;
    m_state.leftOnServer[href] = etag;
}

Run::Listing Run::list()
{
    Listing listing;
    progress("list", 0, 1);
    if (m_state.complete && !m_state.syncToken.isEmpty() && listSinceToken(listing))
        return listing;
    listAll(listing);
    return listing;
}

bool Run::listSinceToken(Listing &listing)
{
    QString token = m_state.syncToken;
    for (int round = 0; round < 100; ++round) {
        // Any answer but a multi-status means the token (or the report) is
        // not honoured; some servers say so with a 500.
        const DavReply reply =
            m_client.send({"REPORT",
                           m_options.collection,
                           {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}},
                           syncCollectionBody(token)});
        if (reply.error != DavErrc::None || reply.status == 401)
            throw Abort{errorOfReply(reply)};
        MultiStatus answer;
        if (reply.status != 207 || !parseMultiStatus(reply.body, answer)) {
            // A token the server no longer knows, or no such report: list by ETags.
            m_report.tokenRefused = true;
            listing = {};
            return false;
        }
        bool truncated = false;
        for (const DavResource &r : answer.responses) {
            QString key = hrefKey(r.href);
            if (key == m_collectionKey || key + QLatin1Char('/') == m_collectionKey) {
                truncated = truncated || r.status == 507;
                continue;
            }
            if (!admit(r))
                continue;
            if (r.status == 404) {
                listing.changed.erase(r.href);
                listing.deleted.push_back(r.href);
            } else {
                listing.changed[r.href] = r.etag;
                if (r.contentLength > kMaxCardBytes)
                    listing.oversized.insert(r.href);
            }
        }
        token = answer.syncToken;
        if (!truncated || token.isEmpty())
            break;
    }
    listing.token = token;
    return true;
}

void Run::listAll(Listing &listing)
{
    m_report.fullListing = true;
    const DavReply reply = send(
        "PROPFIND", m_options.collection.toString(),
        {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}, etagPropfindBody());
    MultiStatus answer;
    if (reply.status != 207)
        throw Abort{errorOfReply(reply)};
    if (!parseMultiStatus(reply.body, answer))
        throw Abort{
            {SyncErrc::BadAnswer, reply.status, QString::fromUtf8(reply.body.left(300)), {}}};
    std::set<QString> present;
    for (const DavResource &r : answer.responses) {
        const QString key = hrefKey(r.href);
        if (key == m_collectionKey || key + QLatin1Char('/') == m_collectionKey) {
            listing.token = r.syncToken;
            continue;
        }
        if (r.status == 404 || !admit(r))
            continue;
        present.insert(key);
        listing.changed[r.href] = r.etag;
        if (r.contentLength > kMaxCardBytes)
            listing.oversized.insert(r.href);
    }
    std::erase_if(m_state.leftOnServer,
                  [&](const auto &left) { return !present.count(hrefKey(left.first)); });
    for (const SyncEntry &e : m_state.entries) {
        if (e.onServer && !present.count(hrefKey(e.href)))
            listing.deleted.push_back(e.href);
    }
}

std::vector<Run::ServerCard> Run::fetch(const std::vector<QString> &hrefs,
                                        std::vector<QString> &missing)
{
    std::vector<ServerCard> cards;
    const std::size_t batch = std::size_t(std::max(1, m_options.batchSize));
    for (std::size_t start = 0; start < hrefs.size(); start += batch) {
        progress("fetch", int(start), int(hrefs.size()));
        const std::size_t end = std::min(hrefs.size(), start + batch);
        QStringList part;
        std::set<QString> asked;
        for (std::size_t i = start; i < end; ++i) {
            part << hrefs[i];
            asked.insert(hrefKey(hrefs[i]));
        }
        const DavReply reply =
            send("REPORT", m_options.collection.toString(),
                 {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
                 multigetBody(part), kMaxMultiStatusBytes, true);
        MultiStatus answer;
        if (reply.error == DavErrc::TooLarge) {
            // Too much at once: each card is asked for alone below, with the
            // limit of one card.
        } else if (reply.status != 207 || !parseMultiStatus(reply.body, answer)) {
            throw Abort{errorOfReply(reply).code != SyncErrc::None
                            ? errorOfReply(reply)
                            : SyncError{SyncErrc::BadAnswer, reply.status, {}, {}}};
        }
        for (const DavResource &r : answer.responses) {
            const QString key = hrefKey(r.href);
            if (!asked.count(key))
                continue;
            if (r.status == 404) {
                asked.erase(key);
                missing.push_back(r.href);
                continue;
            }
            if (r.addressData.isEmpty())
                continue;
            asked.erase(key);
            if (r.addressData.size() > kMaxCardBytes)
                leaveOnServer(r.href, r.etag);
            else
                cards.push_back({r.href, r.etag, r.addressData});
        }
        // Not in the answer, or without its card: asked for alone, so that
        // only a card the server says is gone is deleted here.
        for (std::size_t i = start; i < end; ++i) {
            if (!asked.count(hrefKey(hrefs[i])))
                continue;
            const DavReply single =
                send("GET", hrefs[i], {{"Accept", "text/vcard"}}, {}, kMaxCardBytes, true);
            if (single.error == DavErrc::TooLarge)
                leaveOnServer(hrefs[i], {});
            else if (single.status == 404 || single.status == 410)
                missing.push_back(hrefs[i]);
            else if (single.ok())
                cards.push_back({hrefs[i], single.etag, single.body});
            else
                ++m_report.unreadableCards;
        }
    }
    return cards;
}

void Run::applyServerCard(const ServerCard &card)
{
    const std::optional<VCard> parsed = parseCard(card.data);
    if (!parsed) {
        ++m_report.unreadableCards;
        return;
    }
    const ContactRecord server = interop::cardToContact(*parsed).record;
    if (isReservedLastName(server.get(Field::LastName))) {
        // Would read back as a deleted record: left on the server untouched.
        ++m_report.unreadableCards;
        return;
    }
    int i = m_index.byHref(card.href);
    if (i >= 0) {
        SyncEntry &e = m_state.entries[std::size_t(i)];
        if (e.record < 0) {
            if (e.onServer && server != e.synced) {
                // Deleted here, changed there: the server's version comes back.
                keepConflict(ConflictKind::DeletedHereChangedThere, e.synced, {}, &server);
                e.record = addLocal(server);
                m_index.setRecord(e.record, i);
                ++m_report.addedHere;
            }
            // Otherwise the deletion made here stands and is sent later.
        } else {
            const ContactRecord local = m_store.list().findRecord(e.record)->record();
            if (local == server) {
                // Already alike (an earlier sync was cut short after writing).
            } else if (local == e.synced) {
                rewriteLocal(e.record, server);
                ++m_report.changedHere;
            } else {
                std::vector<FieldDifference> conflicts;
                const ContactRecord merged = mergeThreeWay(e.synced, local, server, &conflicts);
                if (!conflicts.empty())
                    keepConflict(ConflictKind::BothChanged, local, std::move(conflicts), &server);
                if (merged != local) {
                    rewriteLocal(e.record, merged);
                    ++m_report.changedHere;
                }
            }
        }
        e.synced = server;
        e.card = card.data;
        e.etag = card.etag;
        e.href = card.href;
        e.onServer = true;
        return;
    }

    // A card not seen before: the same contact may already be here.
    if (!m_matchReady) {
        for (const ContactNode &node : m_store.list()) {
            if (m_index.byRecord(node.RecordNumber) >= 0)
                continue;
            const ContactRecord r = node.record();
            m_unmappedExact.emplace(
                std::string(reinterpret_cast<const char *>(r.data()), kRecordSize),
                node.RecordNumber);
            m_unmappedDuplicates.add(r, node.RecordNumber);
        }
        m_matchReady = true;
    }
    SyncEntry e;
    e.href = card.href;
    e.etag = card.etag;
    e.card = card.data;
    e.synced = server;
    std::optional<std::int32_t> match;
    const auto range = m_unmappedExact.equal_range(
        std::string(reinterpret_cast<const char *>(server.data()), kRecordSize));
    for (auto it = range.first; it != range.second && !match; ++it) {
        if (!m_claimed.count(it->second))
            match = it->second;
    }
    if (match) {
        e.record = *match;
    } else if (const auto dup = m_unmappedDuplicates.find(server); dup && !m_claimed.count(*dup)) {
        e.record = *dup;
        const ContactRecord local = m_store.list().findRecord(*dup)->record();
        std::vector<FieldDifference> conflicts;
        const ContactRecord merged = mergeWithoutBase(local, server, &conflicts);
        if (!conflicts.empty())
            keepConflict(ConflictKind::Matched, local, std::move(conflicts), &server);
        if (merged != local) {
            rewriteLocal(*dup, merged);
            ++m_report.changedHere;
        }
    } else {
        e.record = addLocal(server);
        ++m_report.addedHere;
    }
    m_claimed.insert(e.record);
    m_state.entries.push_back(std::move(e));
    m_dead.push_back(false);
    i = int(m_state.entries.size() - 1);
    m_index.setHref(card.href, i);
    m_index.setRecord(m_state.entries.back().record, i);
}

void Run::applyServerDeletion(const QString &href)
{
    const int i = m_index.byHref(href);
    if (i < 0 || m_dead[std::size_t(i)])
        return;
    SyncEntry &e = m_state.entries[std::size_t(i)];
    if (e.record >= 0) {
        const ContactRecord local = m_store.list().findRecord(e.record)->record();
        if (local != e.synced)
            keepConflict(ConflictKind::ChangedHereDeletedThere, local, {}, nullptr);
        removeLocal(e.record);
        m_index.forgetRecord(e.record);
        ++m_report.deletedHere;
    }
    m_dead[std::size_t(i)] = true;
}

void Run::upload()
{
    std::vector<int> creates;
    std::vector<int> updates;
    for (const ContactNode &node : m_store.list()) {
        int i = m_index.byRecord(node.RecordNumber);
        if (i < 0) {
            // A new contact: its href is chosen and saved before the upload.
            const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
            SyncEntry e;
            e.record = node.RecordNumber;
            e.href = m_options.collection.path(QUrl::FullyEncoded) + uid + QStringLiteral(".vcf");
            e.onServer = false;
            e.synced = node.record();
            m_state.entries.push_back(std::move(e));
            m_dead.push_back(false);
            i = int(m_state.entries.size() - 1);
            m_index.setHref(m_state.entries.back().href, i);
            m_index.setRecord(node.RecordNumber, i);
            creates.push_back(i);
            continue;
        }
        const SyncEntry &e = m_state.entries[std::size_t(i)];
        if (!e.onServer)
            creates.push_back(i);
        else if (node.record() != e.synced)
            updates.push_back(i);
    }
    std::vector<int> deletions;
    for (std::size_t i = 0; i < m_state.entries.size(); ++i) {
        if (!m_dead[i] && m_state.entries[i].record < 0) {
            if (m_state.entries[i].onServer)
                deletions.push_back(int(i));
            else
                m_dead[i] = true;
        }
    }
    if (!creates.empty())
        save(m_state.complete);

    // Each save rewrites the whole state, so a large state is saved less
    // often: at most about eight times over all the uploads, which keeps
    // their cost in proportion to the number of cards. A crash between two
    // saves costs only a fetch of the cards sent since: the next sync
    // recognises them by the hrefs saved above.
    const int saveEvery =
        std::max({1, m_options.saveEvery, int(m_state.entries.size() / kSavesPerUpload)});
    const int total = int(creates.size() + updates.size() + deletions.size());
    int done = 0;
    auto step = [&] {
        ++done;
        progress("upload", done, total);
        if (done % saveEvery == 0)
            save(m_state.complete);
    };
    for (int i : creates) {
        create(i);
        step();
    }
    for (int i : updates) {
        update(i, 2);
        step();
    }
    for (int i : deletions) {
        removeOnServer(i);
        step();
    }
}

bool Run::create(int index)
{
    SyncEntry &e = m_state.entries[std::size_t(index)];
    const ContactRecord local = m_store.list().findRecord(e.record)->record();
    const VCard card =
        interop::contactToCard(local, uidOfHref(e.href).toStdString(), VCardVersion::V30);
    const QByteArray body = QByteArray::fromStdString(interop::writeVCard(card, VCardVersion::V30));
    const DavReply reply =
        send("PUT", e.href, {{"If-None-Match", "*"}, {"Content-Type", "text/vcard; charset=utf-8"}},
             body);
    if (reply.ok()) {
        e.onServer = true;
        e.etag = reply.etag;
        e.card = body;
        e.synced = local;
        ++m_report.uploadedNew;
        return true;
    }
    if (reply.status == 412) {
        // Already there: an earlier sync stopped after this upload.
        if (const auto server = getCard(e.href)) {
            e.onServer = true;
            e.synced = local;
            takeServerVersion(index, *server);
            if (m_store.list().findRecord(e.record) &&
                m_store.list().findRecord(e.record)->record() != e.synced)
                update(index, 1);
            return true;
        }
        // Refused, and no card there either: it was not sent.
    }
    m_report.refused.push_back(
        {nameOf(local), reply.status, QString::fromUtf8(reply.body.left(500)).trimmed(), false});
    m_dead[std::size_t(index)] = true;
    m_index.forgetRecord(e.record);
    return false;
}

bool Run::update(int index, int attempts)
{
    SyncEntry &e = m_state.entries[std::size_t(index)];
    const ContactRecord local = m_store.list().findRecord(e.record)->record();
    if (e.etag.isEmpty()) {
        // The server gave no ETag for our last upload: learn it first.
        const auto server = getCard(e.href);
        if (!server) {
            applyServerDeletion(e.href);
            return false;
        }
        takeServerVersion(index, *server);
        const SyncEntry &known = m_state.entries[std::size_t(index)];
        if (m_dead[std::size_t(index)] || known.record < 0 || known.etag.isEmpty() ||
            m_store.list().findRecord(known.record)->record() == known.synced)
            return false;
        return update(index, attempts);
    }
    const QByteArray body = cardForUpload(local, e.synced, e.card);
    const DavReply reply = send(
        "PUT", e.href, {{"If-Match", e.etag}, {"Content-Type", "text/vcard; charset=utf-8"}}, body);
    if (reply.ok()) {
        e.synced = local;
        e.card = body;
        e.etag = reply.etag;
        ++m_report.uploadedChanged;
        return true;
    }
    if (reply.status == 412) {
        // Changed on the server since we listed it: merge with that version.
        const auto server = getCard(e.href);
        if (!server) {
            applyServerDeletion(e.href);
            return false;
        }
        takeServerVersion(index, *server);
        SyncEntry &again = m_state.entries[std::size_t(index)];
        if (m_dead[std::size_t(index)] || again.record < 0 ||
            m_store.list().findRecord(again.record)->record() == again.synced)
            return false; // the server's version is taken in: nothing left to send
        if (attempts > 1)
            return update(index, attempts - 1);
        // Refused again with the server's latest ETag: the edit stays here,
        // unsent, and the next sync tries again.
        m_report.refused.push_back({nameOf(local), reply.status,
                                    QString::fromUtf8(reply.body.left(500)).trimmed(), false});
        return false;
    }
    if (reply.status == 404) {
        applyServerDeletion(e.href);
        return false;
    }
    m_report.refused.push_back(
        {nameOf(local), reply.status, QString::fromUtf8(reply.body.left(500)).trimmed(), false});
    return false;
}

void Run::removeOnServer(int index)
{
    SyncEntry &e = m_state.entries[std::size_t(index)];
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!e.etag.isEmpty())
        headers.append({"If-Match", e.etag});
    const DavReply reply = send("DELETE", e.href, headers);
    if (reply.ok() || reply.status == 404 || reply.status == 410) {
        if (reply.ok())
            ++m_report.deletedOnServer;
        m_dead[std::size_t(index)] = true;
        return;
    }
    if (reply.status == 412) {
        if (const auto server = getCard(e.href)) {
            const QByteArray etagBefore = e.etag;
            takeServerVersion(index, *server);
            if (server->etag == etagBefore && !etagBefore.isEmpty())
                // The card has not changed, yet the deletion is refused.
                m_report.refused.push_back({nameOf(e.synced), reply.status,
                                            QString::fromUtf8(reply.body.left(500)).trimmed(),
                                            true});
        } else {
            m_dead[std::size_t(index)] = true;
        }
        return;
    }
    m_report.refused.push_back(
        {nameOf(e.synced), reply.status, QString::fromUtf8(reply.body.left(500)).trimmed(), true});
}

std::optional<Run::ServerCard> Run::getCard(const QString &href)
{
    const DavReply reply = send("GET", href, {{"Accept", "text/vcard"}}, {}, kMaxCardBytes);
    if (!reply.ok())
        return std::nullopt;
    return ServerCard{href, reply.etag, reply.body};
}

void Run::takeServerVersion(int index, const ServerCard &card)
{
    const SyncEntry &e = m_state.entries[std::size_t(index)];
    ServerCard named = card;
    named.href = e.href;
    applyServerCard(named);
}

void Run::ensureBackup()
{
    if (m_backedUp)
        return;
    if (m_options.backup) {
        QString path;
        QString problem;
        if (!m_options.backup(&path, &problem))
            throw Abort{{SyncErrc::DataFile, 0, problem, {}}};
        m_report.backupPath = path;
    }
    m_backedUp = true;
}

std::int32_t Run::addLocal(const ContactRecord &record)
{
    ensureBackup();
    return m_store.add(record);
}

void Run::rewriteLocal(std::int32_t record, const ContactRecord &contact)
{
    ensureBackup();
    m_store.rewrite(record, contact);
}

void Run::removeLocal(std::int32_t record)
{
    ensureBackup();
    m_store.remove(record, DeletedHow::Synced);
}

// The local version that lost goes to the conflicts file before anything is
// overwritten, as a card that can be imported again.
void Run::keepConflict(ConflictKind kind, const ContactRecord &local,
                       std::vector<FieldDifference> differences, const ContactRecord *server)
{
    if (differences.empty() && server) {
        for (Field f : kContactFields) {
            if (local.view(f) != server->view(f))
                differences.push_back({f, local.get(f), server->get(f)});
        }
    }
    m_report.conflicts.push_back({kind, nameOf(local), differences});
    if (kind == ConflictKind::DeletedHereChangedThere)
        return; // nothing of ours lost: the deleted contact comes back
    const QString path = conflictsPath(m_options.dataFilePath);
    QFile file(path);
    if (file.open(QIODevice::Append) && makePrivate(int(file.handle()))) {
        VCard card = interop::contactToCard(
            local, QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString(),
            VCardVersion::V30);
        card.add(interop::makeProperty(
            "X-VCQ-CONFLICT",
            {QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString()}));
        file.write(QByteArray::fromStdString(interop::writeVCard(card, VCardVersion::V30)));
        file.flush();
        m_report.conflictsFile = path;
    }
}

void Run::save(bool complete)
{
    m_state.complete = complete;
    QString problem;
    if (!saveSyncState(m_statePath, m_state, &problem))
        throw Abort{{SyncErrc::StateFile, 0, m_statePath + QStringLiteral(": ") + problem, {}}};
}

void Run::compact()
{
    std::vector<SyncEntry> kept;
    kept.reserve(m_state.entries.size());
    for (std::size_t i = 0; i < m_state.entries.size(); ++i) {
        if (!m_dead[i])
            kept.push_back(std::move(m_state.entries[i]));
    }
    m_state.entries = std::move(kept);
    m_dead.assign(m_state.entries.size(), false);
    m_index.rebuild(m_state);
}

} // namespace

ContactRecord mergeThreeWay(const ContactRecord &base, const ContactRecord &local,
                            const ContactRecord &server, std::vector<FieldDifference> *conflicts)
{
    ContactRecord out = server;
    for (Field f : kContactFields) {
        const std::string_view b = base.view(f), l = local.view(f), s = server.view(f);
        if (l == s || l == b)
            continue;
        if (s == b) {
            out.set(f, l);
        } else if (conflicts) {
            conflicts->push_back({f, std::string(l), std::string(s)});
        }
    }
    return out;
}

ContactRecord mergeWithoutBase(const ContactRecord &local, const ContactRecord &server,
                               std::vector<FieldDifference> *conflicts)
{
    ContactRecord out = server;
    for (Field f : kContactFields) {
        const std::string_view l = local.view(f), s = server.view(f);
        if (l == s || isBlank(f, l))
            continue;
        if (isBlank(f, s))
            out.set(f, l);
        else if (conflicts)
            conflicts->push_back({f, std::string(l), std::string(s)});
    }
    return out;
}

bool sameContact(const ContactRecord &synced, const ContactRecord &now)
{
    if (lowerTrimmed(synced.view(Field::LastName)) == lowerTrimmed(now.view(Field::LastName)))
        return true;
    const std::string first = lowerTrimmed(synced.view(Field::FirstName));
    if (!first.empty() && first == lowerTrimmed(now.view(Field::FirstName)))
        return true;
    const std::string email = lowerTrimmed(synced.view(Field::Email));
    if (!email.empty() && email == lowerTrimmed(now.view(Field::Email)))
        return true;
    for (Field a : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3}) {
        const std::string digits = digitsOf(synced.view(a));
        if (digits.empty())
            continue;
        for (Field b : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3}) {
            if (digits == digitsOf(now.view(b)))
                return true;
        }
    }
    return false;
}

QByteArray cardForUpload(const ContactRecord &local, const ContactRecord &synced,
                         const QByteArray &lastCard)
{
    std::optional<VCard> base = parseCard(lastCard);
    if (!base)
        base = interop::contactToCard(
            synced, QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString(),
            VCardVersion::V30);
    const VCardVersion version =
        base->version == VCardVersion::V40 ? VCardVersion::V40 : VCardVersion::V30;
    const VCard merged = interop::mergeContactIntoCard(local, *base, version);
    // Only the properties of fields that changed here are taken from the
    // merge: what the card says of the others stays exactly as it was, even
    // where our fields could hold only a shortened or transliterated copy.
    VCard out = *base;
    for (const PropertyGroup &group : propertyGroups()) {
        const bool changed = std::any_of(group.fields.begin(), group.fields.end(),
                                         [&](Field f) { return local.view(f) != synced.view(f); });
        if (!changed)
            continue;
        for (const char *name : group.properties)
            out.removeAll(name);
        for (const interop::VCardProperty &p : merged.properties) {
            for (const char *name : group.properties) {
                if (p.name == name)
                    out.add(p);
            }
        }
    }
    return QByteArray::fromStdString(interop::writeVCard(out, version));
}

PendingChanges pendingLocalChanges(const ContactList &contacts, const SyncState &state)
{
    PendingChanges out;
    std::set<std::int32_t> mapped;
    for (const SyncEntry &e : state.entries) {
        const ContactNode *node = e.record >= 0 ? contacts.findRecord(e.record) : nullptr;
        if (!node || !sameContact(e.synced, node->record())) {
            if (e.onServer)
                ++out.deleted;
            continue;
        }
        mapped.insert(e.record);
        if (!e.onServer)
            ++out.added;
        else if (node->record() != e.synced)
            ++out.changed;
    }
    for (const ContactNode &node : contacts) {
        if (!mapped.count(node.RecordNumber))
            ++out.added;
    }
    return out;
}

SyncReport runSync(ContactStore &store, DavClient &client, const SyncOptions &options)
{
    Run run(store, client, options);
    return run.run();
}

} // namespace vcq::sync
