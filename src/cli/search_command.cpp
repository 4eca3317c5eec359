// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_command.h"

#include "data_file_access.h"
#include "interop/contact_uid.h"
#include "interop/exporter.h"
#include "interop/transliterate.h"
#include "search/query_text.h"
#include "search/search_index.h"
#include "store/contact_snapshot.h"
#include "store/prefix_sort.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <thread>

namespace vcq::cli
{

namespace
{

enum class Format { Lines, Mutt, Export };

// A field as UTF-8 for a terminal: control characters, which a file could
// use to drive it, become '?' as everywhere else on the command line.
void append(std::string &out, std::string_view text)
{
    const auto plain = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b < 0x7F;
    };
    while (!text.empty()) {
        // Most text is plain ASCII: copied a run at a time.
        const auto run =
            std::size_t(std::find_if_not(text.begin(), text.end(), plain) - text.begin());
        out.append(text.substr(0, run));
        if (run == text.size())
            break;
        // cp1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined: C1 controls.
        const auto b = static_cast<unsigned char>(text[run]);
        if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            out += '?';
        else
            interop::appendCp1252AsUtf8(out, text.substr(run, 1));
        text.remove_prefix(run + 1);
    }
}

void append(std::string &out, const ContactRecord &r, Field f)
{
    append(out, r.view(f));
}

Field firstPhone(const ContactRecord &r)
{
    for (const Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3})
        if (!trimBlanksAndControls(r.view(f)).empty())
            return f;
    return Field::Phone1;
}

// "Last First<TAB>e-mail<TAB>first phone".
void appendLine(std::string &out, const ContactRecord &r)
{
    append(out, r, Field::LastName);
    out += ' ';
    append(out, r, Field::FirstName);
    out += '\t';
    append(out, r, Field::Email);
    out += '\t';
    append(out, r, firstPhone(r));
    out += '\n';
}

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A mail client's address query: "e-mail<TAB>name<TAB>other information".
void appendMuttLine(std::string &out, const ContactRecord &r)
{
    std::string email, name, other;
    append(email, r, Field::Email);
    append(name, r, Field::FirstName);
    name += ' ';
    append(name, r, Field::LastName);
    append(other, r, Field::Organisation);
    if (trimmed(other).empty()) {
        other.clear();
        append(other, r, Field::City);
    }
    out += trimmed(email) + '\t' + trimmed(name) + '\t' + trimmed(other) + '\n';
}

// A line of output, made by the thread that found its contact, and where
// that contact goes in the list's order.
struct Line {
    std::uint64_t p0, p1; // the first 16 bytes of the contact's display key
    const char *text;
    std::uint32_t length;
    std::int32_t record;
};

// The lines one thread made, kept in blocks that never move, each asked to
// be one huge page: a million lines fill 60 MB, 15,000 faults in small pages.
class Part
{
public:
    std::vector<Line> lines;
    std::string line; // the one being made

    const char *keep(std::string_view text)
    {
        if (m_used + text.size() > kBlockBytes) {
            void *block = std::aligned_alloc(kBlockBytes, kBlockBytes);
            if (!block)
                throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
            ::madvise(block, kBlockBytes, MADV_HUGEPAGE);
#endif
            m_blocks.emplace_back(static_cast<char *>(block));
            m_used = 0;
        }
        char *at = m_blocks.back().get() + m_used;
        std::memcpy(at, text.data(), text.size());
        m_used += text.size();
        return at;
    }

private:
    static constexpr std::size_t kBlockBytes = std::size_t(2) << 20; // lines are far shorter
    struct Free {
        void operator()(char *block) const { std::free(block); }
    };
    std::vector<std::unique_ptr<char[], Free>> m_blocks;
    std::size_t m_used = kBlockBytes;
};

constexpr std::size_t kPieceBytes = std::size_t(1) << 20;
constexpr std::size_t kAhead = 8;

struct MatchingLines {
    std::vector<Part> parts;
    std::vector<std::string_view> order; // every line, in the list's order
};

// The lines of the matching contacts in the list's order. Each thread makes
// the lines of the contacts it finds while their records are in its cache
// and sorts them; the sorted parts are merged.
void findLines(MatchingLines &found, const search::SearchQuery &query, const ContactRecord *records,
               std::int64_t count, unsigned threads, Format kind)
{
    threads = std::clamp(threads, 1u, 256u);
    found.parts.resize(threads);
    search::forEachMatch(query, records, 1, count, threads, [&](unsigned p, std::int32_t n) {
        const ContactRecord &r = records[n];
        if (kind == Format::Mutt && trimBlanksAndControls(r.view(Field::Email)).empty())
            return;
        Part &part = found.parts[p];
        part.line.clear();
        kind == Format::Mutt ? appendMuttLine(part.line, r) : appendLine(part.line, r);
        char key[kDisplayKeyMax];
        const std::string_view k(
            key, formDisplayKey(key, r.view(Field::LastName), r.view(Field::FirstName)));
        part.lines.push_back({prefixOf(k), prefixOf(k, 8), part.keep(part.line),
                              std::uint32_t(part.line.size()), n});
    });
    // The list's order: ascending bytes of the key, and among equal keys the
    // later record first, as the list holds a file it has just read.
    const auto tie = [records](const Line &a, const Line &b) {
        const int c = displayKey(records[a.record]).compare(displayKey(records[b.record]));
        return c != 0 ? c < 0 : a.record > b.record;
    };
    const auto sortPart = [&tie](Part &part) {
        sortByPrefix(part.lines.data(), part.lines.data() + part.lines.size(), 0, tie);
    };
    std::vector<std::thread> sorters;
    for (std::size_t p = 1; p < found.parts.size(); ++p)
        if (!found.parts[p].lines.empty())
            sorters.emplace_back(sortPart, std::ref(found.parts[p]));
    sortPart(found.parts[0]);
    for (std::thread &t : sorters)
        t.join();
    std::size_t total = 0;
    for (const Part &part : found.parts)
        total += part.lines.size();
    found.order.reserve(total);
    std::vector<std::size_t> next(found.parts.size(), 0);
    while (found.order.size() < total) {
        const Line *first = nullptr;
        std::size_t from = 0;
        for (std::size_t p = 0; p < found.parts.size(); ++p) {
            const std::vector<Line> &lines = found.parts[p].lines;
            if (next[p] < lines.size() && (!first || prefixBefore(lines[next[p]], *first, tie))) {
                first = &lines[next[p]];
                from = p;
            }
        }
        found.order.emplace_back(first->text, first->length);
        ++next[from];
    }
}

int runSearch(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(c.text(
        "Prints the contacts of VCQ97.NAM in the current folder that hold every word of the "
        "query in one of their fields, whatever the case, accents and ligatures; a phone "
        "number matches whatever its punctuation. Works while the program is open.\nExit "
        "status: 0 found, 1 none found, 2 failed.",
        "Affiche les contacts de VCQ97.NAM du dossier courant qui contiennent chaque mot de la "
        "recherche dans l'un de leurs champs, sans égard aux majuscules, aux accents ni aux "
        "ligatures ; un numéro de téléphone est trouvé quelle que soit sa ponctuation. "
        "Fonctionne pendant que le programme est ouvert.\nCode de sortie : 0 trouvé, 1 rien "
        "trouvé, 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption format(
        "format",
        c.text("lines (the default: name, e-mail and first phone a line), csv, vcard3 or mutt "
               "(a mail client's address query).",
               "lines (par défaut : nom, courriel et premier téléphone par ligne), csv, vcard3 "
               "ou mutt (la recherche d'adresses d'un logiciel de courrier)."),
        c.text("FORMAT", "FORMAT"), "lines");
    const QCommandLineOption passwordFile = passwordFileOption(c);
    parser.addOptions({help, format, passwordFile});
    parser.addPositionalArgument(c.text("QUERY", "RECHERCHE"),
                                 c.text("The words to find.", "Les mots à trouver."),
                                 c.text("QUERY...", "RECHERCHE..."));
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    const search::SearchQuery query =
        search::parseQueryText(parser.positionalArguments().join(' '));
    if (query.empty()) {
        c.error(c.text("Give the words to find.", "Donnez les mots à trouver."));
        return ExitFailure;
    }
    const QString formatName = parser.value(format);
    Format kind = Format::Export;
    std::optional<interop::ExportFormat> exportFormat;
    if (formatName == "lines")
        kind = Format::Lines;
    else if (formatName == "mutt")
        kind = Format::Mutt;
    else if (formatName == "csv" || formatName == "vcard3")
        exportFormat = interop::exportFormatFromName(formatName.toStdString());
    if (kind == Format::Export && !exportFormat) {
        c.error(c.text("Unknown format \"%1\": lines, csv, vcard3 or mutt.",
                       "Format inconnu « %1 » : lines, csv, vcard3 ou mutt.")
                    .arg(terminalSafe(formatName)));
        return ExitFailure;
    }

    std::string out;
    MatchingLines found;
    std::size_t matched = 0;
    std::jthread letGo;
    try {
        // Read under the shared lock when no copy of the program has the file
        // open, and let go of it before writing: a reader of the output that
        // stalls never keeps the program from starting.
        ContactSnapshot snapshot =
            readSnapshot(c.dataFilePath, SnapshotAccess::ShareWhenFree, SnapshotList::None);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        const ContactRecord *records = &snapshot.record(0);
        const auto count = std::int64_t(snapshot.recordCount());
        const unsigned threads = std::thread::hardware_concurrency();
        if (kind == Format::Export) {
            // Only the matches are sorted, the way export lists contacts.
            const std::vector<std::int32_t> numbers =
                search::matchingRecords(query, records, 1, count, threads);
            ContactList list;
            list.setRecordSource(snapshot.records.get());
            list.beginLoad(std::int64_t(numbers.size()));
            for (const std::int32_t n : numbers)
                list.loadContact(n, records[n].view(Field::LastName),
                                 records[n].view(Field::FirstName));
            list.endLoad();
            matched = list.size();
            std::error_code uidError;
            const auto uids = interop::ContactUids::open(c.dataFilePath, uidError);
            if (!uids) {
                c.error(terminalSafe(QString::fromStdString(
                            interop::ContactUids::idFilePath(c.dataFilePath))) +
                        ": " + QString::fromStdString(uidError.message()));
                return ExitFailure;
            }
            std::vector<const ContactNode *> nodes;
            for (const ContactNode &node : list)
                nodes.push_back(&node);
            out = interop::exportContacts(nodes, *uids, *exportFormat, "-").bytes;
        } else {
            findLines(found, query, records, count, threads, kind);
            matched = found.order.size();
            // The lines hold all they need: the file is let go of (unmapped,
            // then unlocked) on a thread of its own while they are written.
            letGo = std::jthread([done = std::move(snapshot)] {});
            if (kind == Format::Mutt) // the status line a mail client skips
                out =
                    (matched == 1 ? c.text("1 contact found", "1 contact trouvé")
                                  : c.text("%1 contacts found", "%1 contacts trouvés").arg(matched))
                        .toStdString() +
                    '\n';
        }
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    // The lines are written a piece at a time: one copy of them, in the cache.
    for (std::size_t i = 0; i < found.order.size(); ++i) {
        // The lines lie all over memory: the next few are asked for ahead.
        if (i + kAhead < found.order.size())
            __builtin_prefetch(found.order[i + kAhead].data());
        out.append(found.order[i]);
        if (out.size() >= kPieceBytes) {
            if (!writeOut(c, out))
                return ExitFailure;
            out.clear();
        }
    }
    if (!writeOut(c, out))
        return ExitFailure;
    return matched == 0 ? ExitRemarks : ExitSuccess;
}

} // namespace

Command searchCommand()
{
    return {"search", "Prints the contacts that match a query",
            QString::fromUtf8("Affiche les contacts qui correspondent à une recherche"), runSearch};
}

} // namespace vcq::cli
