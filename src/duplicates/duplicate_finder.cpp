// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicate_finder.h"

#include "not_duplicates.h"
#include "phone_key.h"
#include "search/text_fold.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace vcq::duplicates
{

namespace
{

// Folds a name part into out, without the characters people write or leave
// out at will between the parts of a name.
char *foldNamePart(char *out, std::string_view text)
{
    char buffer[2 * 256];
    char *end = search::foldInto(buffer, text);
    for (const char *p = buffer; p != end; ++p) {
        const char c = *p;
        if (c == ' ' || c == '-' || c == '.' || c == '\'' || c == ',' || c == '\x92')
            continue;
        *out++ = c;
    }
    return out;
}

std::uint64_t hashOf(std::string_view text)
{
    return std::hash<std::string_view>()(text);
}

// A contact's name, folded, in both orders of its two parts.
struct NameKey {
    std::string_view last, first; // folded, into storage
    char storage[2 * 2 * 256];
    bool empty() const { return last.empty() && first.empty(); }
    // The order-free form: the smaller part first.
    bool lastFirst() const { return last <= first; }
};

void makeNameKey(const ContactRecord &r, NameKey &key)
{
    char *at = key.storage;
    char *end = foldNamePart(at, r.view(Field::LastName));
    key.last = std::string_view(at, std::size_t(end - at));
    at = end;
    end = foldNamePart(at, r.view(Field::FirstName));
    key.first = std::string_view(at, std::size_t(end - at));
}

std::uint64_t nameHash(const NameKey &k)
{
    const std::string_view a = k.lastFirst() ? k.last : k.first;
    const std::string_view b = k.lastFirst() ? k.first : k.last;
    std::uint64_t h = hashOf(a);
    h ^= hashOf(b) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h | 1; // 0 marks "no name"
}

bool sameName(const NameKey &a, const NameKey &b)
{
    return (a.last == b.last && a.first == b.first) || (a.last == b.first && a.first == b.last);
}

bool swapped(const NameKey &a, const NameKey &b)
{
    return !(a.last == b.last && a.first == b.first);
}

// One key of one contact in a table sorted by hash.
struct Entry {
    std::uint64_t hash;
    std::uint32_t contact; // index in the input
    std::uint16_t extra;   // phones: the country code's value (0: none)
    std::uint8_t field;    // phones: the index in kPhoneFields
    bool operator<(const Entry &o) const
    {
        return hash != o.hash ? hash < o.hash : contact < o.contact;
    }
};

std::uint16_t codeValue(std::string_view cc)
{
    std::uint16_t v = 0;
    for (const char c : cc)
        v = std::uint16_t(v * 10 + (c - '0'));
    return v;
}

class UnionFind
{
public:
    explicit UnionFind(std::size_t n) : m_parent(n)
    {
        std::iota(m_parent.begin(), m_parent.end(), 0u);
    }
    std::uint32_t find(std::uint32_t x)
    {
        while (m_parent[x] != x) {
            m_parent[x] = m_parent[m_parent[x]];
            x = m_parent[x];
        }
        return x;
    }
    void unite(std::uint32_t a, std::uint32_t b)
    {
        a = find(a);
        b = find(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<std::uint32_t> m_parent;
};

struct Link {
    std::uint32_t a, b;
    std::uint32_t reasons;
    bool certain;
};

class Finder
{
public:
    Finder(std::span<const ContactRef> contacts, const FinderOptions &options)
        : m_contacts(contacts), m_options(options), m_all(contacts.size()),
          m_certain(contacts.size())
    {
    }

    bool run(std::vector<DuplicateGroup> &groups);

private:
    const ContactRecord &record(std::uint32_t i) const { return *m_contacts[i].record; }
    bool remembered(std::uint32_t a, std::uint32_t b) const
    {
        return m_options.notDuplicates &&
               m_options.notDuplicates->contains(m_contacts[a].recordNumber,
                                                 m_contacts[b].recordNumber);
    }
    bool progress(double done) const { return !m_options.progress || m_options.progress(done); }
    void collect(std::size_t from, std::size_t to, std::vector<Entry> &names,
                 std::vector<Entry> &phones, std::vector<Entry> &emails) const;
    void linkShared(std::span<const Entry> run, bool phones);
    void linkNames(std::span<const Entry> run);
    void link(std::uint32_t a, std::uint32_t b, std::uint32_t reasons, bool certain)
    {
        m_all.unite(a, b);
        if (certain)
            m_certain.unite(a, b);
        m_links.push_back({a, b, reasons, certain});
    }
    template <class Linker> static void forRuns(std::vector<Entry> &table, Linker linker)
    {
        for (std::size_t i = 0; i < table.size();) {
            std::size_t j = i + 1;
            while (j < table.size() && table[j].hash == table[i].hash)
                ++j;
            if (j - i > 1)
                linker(std::span<const Entry>(table.data() + i, j - i));
            i = j;
        }
    }

    std::span<const ContactRef> m_contacts;
    const FinderOptions &m_options;
    std::vector<std::uint64_t> m_nameHash; // per contact, 0: no name
    UnionFind m_all, m_certain;
    std::vector<Link> m_links;
};

void Finder::collect(std::size_t from, std::size_t to, std::vector<Entry> &names,
                     std::vector<Entry> &phones, std::vector<Entry> &emails) const
{
    char buffer[512];
    for (std::size_t i = from; i < to; ++i) {
        const ContactRecord &r = record(std::uint32_t(i));
        const auto contact = std::uint32_t(i);
        if (m_nameHash[i] != 0)
            names.push_back({m_nameHash[i], contact, 0, 0});
        for (std::uint8_t f = 0; f < 4; ++f) {
            const PhoneParts key = phoneParts(r.view(kPhoneFields[f]), buffer);
            if (!key.national.empty())
                phones.push_back({hashOf(key.national), contact, codeValue(key.countryCode), f});
        }
        const std::string_view email = trimBlanksAndControls(r.view(Field::Email));
        if (!email.empty()) {
            const std::string_view folded(buffer,
                                          std::size_t(search::foldInto(buffer, email) - buffer));
            emails.push_back({hashOf(folded), contact, 0, 0});
        }
    }
}

// Contacts that share one number or one e-mail: linked to the first earlier
// one they may be linked to, certain when the names match.
void Finder::linkShared(std::span<const Entry> run, bool phones)
{
    // Keys of equal hash that differ (a collision) are told apart here.
    std::vector<std::string> keys(run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
        const ContactRecord &r = record(run[i].contact);
        keys[i] = phones ? phoneKey(r.view(kPhoneFields[run[i].field])).national
                         : foldedEmail(r.view(Field::Email));
    }
    static constexpr std::uint32_t kPhoneReason[4] = {HomePhone, WorkPhone, OtherPhone, FaxPhone};
    for (std::size_t j = 1; j < run.size(); ++j) {
        const Entry &b = run[j];
        bool linkedAny = false, linkedName = false;
        for (std::size_t i = 0; i < j && !(linkedAny && linkedName); ++i) {
            const Entry &a = run[i];
            if (a.contact == b.contact || keys[i] != keys[j])
                continue;
            if (phones && a.extra != 0 && b.extra != 0 && a.extra != b.extra)
                continue; // two different country codes
            if (remembered(a.contact, b.contact))
                continue;
            const bool named =
                m_nameHash[a.contact] != 0 && m_nameHash[a.contact] == m_nameHash[b.contact];
            if (linkedAny && !named)
                continue;
            std::uint32_t reasons =
                phones ? (a.field == b.field ? kPhoneReason[a.field] : AnyPhone) : SameEmail;
            if (named) {
                NameKey na, nb;
                makeNameKey(record(a.contact), na);
                makeNameKey(record(b.contact), nb);
                if (!sameName(na, nb))
                    continue;
                reasons |= SameName | (swapped(na, nb) ? std::uint32_t(SwappedName) : 0u);
                linkedName = true;
            }
            link(a.contact, b.contact, reasons, named);
            linkedAny = true;
        }
    }
}

// Beyond this many contacts of one name, they are too common a name to be
// offered together as possibly one person.
constexpr std::size_t kMostNamesakesOffered = 16;

// Contacts of one name with nothing that tells them apart: one certain group.
void Finder::linkNames(std::span<const Entry> run)
{
    std::vector<NameKey> names(run.size());
    for (std::size_t i = 0; i < run.size(); ++i)
        makeNameKey(record(run[i].contact), names[i]);
    // Each set of contacts whose names really match (hashes may collide).
    std::vector<bool> done(run.size());
    for (std::size_t s = 0; s < run.size(); ++s) {
        if (done[s])
            continue;
        std::vector<std::size_t> same{s};
        for (std::size_t j = s + 1; j < run.size(); ++j)
            if (!done[j] && sameName(names[s], names[j])) {
                same.push_back(j);
                done[j] = true;
            }
        if (same.size() < 2)
            continue;
        // A contradiction anywhere in the set: no link by name alone, since
        // a chain through a contact with no data would join two that differ.
        std::string email;
        std::array<PhoneKey, 4> phone{};
        bool contradiction = false;
        for (const std::size_t m : same) {
            const ContactRecord &r = record(run[m].contact);
            const std::string e = foldedEmail(r.view(Field::Email));
            if (!e.empty()) {
                contradiction |= !email.empty() && e != email;
                email = e;
            }
            for (std::size_t f = 0; f < 4; ++f) {
                const PhoneKey k = phoneKey(r.view(kPhoneFields[f]));
                if (k.national.empty())
                    continue;
                contradiction |= !phone[f].national.empty() && !samePhone(k, phone[f]);
                if (phone[f].countryCode.empty())
                    phone[f] = k;
            }
            if (contradiction)
                break;
        }
        const auto reasons = [&](std::size_t x, std::size_t y) {
            return SameName |
                   (swapped(names[same[y]], names[same[x]]) ? std::uint32_t(SwappedName) : 0u);
        };
        if (contradiction) {
            // Yet a contact that could be either of two namesakes is one of
            // them: the name's set is offered as possible, unless it is too
            // common a name to be a useful group.
            if (same.size() > kMostNamesakesOffered)
                continue;
            struct Data {
                std::string email;
                std::array<PhoneKey, 4> phone;
            };
            std::vector<Data> data(same.size());
            for (std::size_t m = 0; m < same.size(); ++m) {
                const ContactRecord &r = record(run[same[m]].contact);
                data[m].email = foldedEmail(r.view(Field::Email));
                for (std::size_t f = 0; f < 4; ++f)
                    data[m].phone[f] = phoneKey(r.view(kPhoneFields[f]));
            }
            const auto contradict = [](const Data &p, const Data &q) {
                if (!p.email.empty() && !q.email.empty() && p.email != q.email)
                    return true;
                for (std::size_t f = 0; f < 4; ++f)
                    if (!p.phone[f].national.empty() && !q.phone[f].national.empty() &&
                        !samePhone(p.phone[f], q.phone[f]))
                        return true;
                return false;
            };
            for (std::size_t x = 1; x < same.size(); ++x)
                for (std::size_t y = 0; y < x; ++y) {
                    const std::uint32_t a = run[same[y]].contact, b = run[same[x]].contact;
                    if (!contradict(data[x], data[y]) && !remembered(a, b) &&
                        m_certain.find(a) != m_certain.find(b))
                        link(a, b, reasons(x, y), false);
                }
            continue;
        }
        for (std::size_t x = 1; x < same.size(); ++x) {
            const std::uint32_t b = run[same[x]].contact;
            for (std::size_t y = 0; y < x; ++y) {
                const std::uint32_t a = run[same[y]].contact;
                if (remembered(a, b))
                    continue;
                link(a, b, reasons(x, y), true);
                break;
            }
        }
    }
}

bool Finder::run(std::vector<DuplicateGroup> &groups)
{
    const std::size_t n = m_contacts.size();
    m_nameHash.assign(n, 0);
    const unsigned threads = std::clamp(m_options.threads, 1u, 8u);
    struct Part {
        std::vector<Entry> names, phones, emails;
    };
    std::vector<Part> parts(threads);
    bool stopped = false;
    const auto work = [&](unsigned t) {
        const std::size_t from = n * t / threads, to = n * (t + 1) / threads;
        NameKey key;
        for (std::size_t i = from; i < to; ++i) {
            makeNameKey(record(std::uint32_t(i)), key);
            m_nameHash[i] = key.empty() ? 0 : nameHash(key);
            // The first part tells how far all are, now and then.
            if (t == 0 && (i - from) % 65536 == 65535)
                stopped = stopped || !progress(0.3 * double(i - from) / double(to - from));
        }
        Part &p = parts[t];
        p.names.reserve(to - from);
        p.emails.reserve(to - from);
        p.phones.reserve(2 * (to - from));
        collect(from, to, p.names, p.phones, p.emails);
        std::sort(p.names.begin(), p.names.end());
        std::sort(p.phones.begin(), p.phones.end());
        std::sort(p.emails.begin(), p.emails.end());
    };
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 1; t < threads; ++t)
            pool.emplace_back(work, t);
        work(0);
    }
    if (stopped || !progress(0.6))
        return false;
    // The parts' tables, each sorted, merged into one.
    const auto merged = [&](std::vector<Entry> Part::*table) {
        std::vector<Entry> all = std::move(parts[0].*table);
        for (unsigned t = 1; t < threads; ++t) {
            const std::size_t middle = all.size();
            all.insert(all.end(), (parts[t].*table).begin(), (parts[t].*table).end());
            std::inplace_merge(all.begin(), all.begin() + std::ptrdiff_t(middle), all.end());
        }
        return all;
    };
    std::vector<Entry> phones = merged(&Part::phones);
    forRuns(phones, [this](std::span<const Entry> run) { linkShared(run, true); });
    std::vector<Entry>().swap(phones);
    std::vector<Entry> emails = merged(&Part::emails);
    forRuns(emails, [this](std::span<const Entry> run) { linkShared(run, false); });
    std::vector<Entry>().swap(emails);
    if (!progress(0.8))
        return false;
    std::vector<Entry> names = merged(&Part::names);
    forRuns(names, [this](std::span<const Entry> run) { linkNames(run); });
    std::vector<Entry>().swap(names);

    // Certain groups: what certain links hold together. Possible groups:
    // what the other links join on top of that, each certain group whole,
    // so that a contact may be in one of each.
    std::unordered_map<std::uint32_t, std::size_t> certainGroup, possibleGroup;
    const auto groupFor = [&groups](std::unordered_map<std::uint32_t, std::size_t> &of,
                                    std::uint32_t root, Certainty certainty) -> DuplicateGroup & {
        const auto [it, added] = of.try_emplace(root, groups.size());
        if (added)
            groups.push_back({certainty, 0, {}});
        return groups[it->second];
    };
    for (const Link &l : m_links) {
        if (l.certain)
            groupFor(certainGroup, m_certain.find(l.a), Certainty::Certain).reasons |= l.reasons;
        else
            groupFor(possibleGroup, m_all.find(l.a), Certainty::Possible).reasons |= l.reasons;
    }
    std::vector<std::uint32_t> members;
    for (const Link &l : m_links)
        for (const std::uint32_t c : {l.a, l.b})
            members.push_back(c);
    std::sort(members.begin(), members.end());
    members.erase(std::unique(members.begin(), members.end()), members.end());
    for (const std::uint32_t c : members) {
        const std::int32_t number = m_contacts[c].recordNumber;
        if (const auto it = certainGroup.find(m_certain.find(c)); it != certainGroup.end())
            groups[it->second].records.push_back(number);
        if (const auto it = possibleGroup.find(m_all.find(c)); it != possibleGroup.end())
            groups[it->second].records.push_back(number);
    }
    for (DuplicateGroup &g : groups)
        std::sort(g.records.begin(), g.records.end());
    std::sort(groups.begin(), groups.end(), [](const DuplicateGroup &a, const DuplicateGroup &b) {
        const auto rank = [](const DuplicateGroup &g) {
            return int(g.certainty) * 2 + ((g.reasons & kSharedContact) ? 0 : 1);
        };
        return rank(a) != rank(b) ? rank(a) < rank(b) : a.records.front() < b.records.front();
    });
    return progress(1.0);
}

} // namespace

std::string foldedName(std::string_view lastName, std::string_view firstName)
{
    char buffer[2 * 2 * 256 + 1];
    char *end = foldNamePart(buffer, lastName);
    *end++ = '\x01';
    end = foldNamePart(end, firstName);
    return std::string(buffer, std::size_t(end - buffer));
}

std::string foldedEmail(std::string_view email)
{
    return search::folded(trimBlanksAndControls(email));
}

std::vector<DuplicateGroup> findDuplicates(std::span<const ContactRef> contacts,
                                           const FinderOptions &options)
{
    std::vector<DuplicateGroup> groups;
    Finder finder(contacts, options);
    if (!finder.run(groups))
        groups.clear();
    return groups;
}

} // namespace vcq::duplicates
