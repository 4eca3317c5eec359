// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_command.h"

#include "data_file_access.h"
#include "interop/contact_uid.h"
#include "interop/exporter.h"
#include "interop/transliterate.h"
#include "search/query_text.h"
#include "search/search_index.h"
#include "store/contact_snapshot.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace vcq::cli
{

namespace
{

enum class Format { Lines, Mutt, Export };

// A field as UTF-8 for a terminal: control characters, which a file could
// use to drive it, become '?' as everywhere else on the command line.
void append(std::string &out, const ContactRecord &r, Field f)
{
    // cp1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined: C1 controls.
    const auto control = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 ||
               b == 0x9D;
    };
    std::string_view text = r.view(f);
    for (auto at = std::find_if(text.begin(), text.end(), control); at != text.end();
         at = std::find_if(text.begin(), text.end(), control)) {
        interop::appendCp1252AsUtf8(out, text.substr(0, std::size_t(at - text.begin())));
        out += '?';
        text.remove_prefix(std::size_t(at - text.begin()) + 1);
    }
    interop::appendCp1252AsUtf8(out, text);
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
    std::size_t matched = 0;
    try {
        // Read under the shared lock when no copy of the program has the file
        // open, and let go of it before writing: a reader of the output that
        // stalls never keeps the program from starting.
        const ContactSnapshot snapshot =
            readSnapshot(c.dataFilePath, SnapshotAccess::ShareWhenFree, SnapshotList::None);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        const auto at = [&snapshot](std::int64_t n) -> const ContactRecord & {
            return snapshot.record(n);
        };
        std::vector<std::int32_t> numbers =
            search::matchingRecords(query, 1, std::int64_t(snapshot.recordCount()), at,
                                    std::thread::hardware_concurrency());
        if (kind == Format::Mutt)
            std::erase_if(numbers, [&](std::int32_t n) {
                return trimBlanksAndControls(snapshot.record(n).view(Field::Email)).empty();
            });
        // Only the matches are sorted, the way export lists contacts.
        ContactList found;
        found.setRecordSource(snapshot.records.get());
        found.beginLoad(std::int64_t(numbers.size()));
        for (const std::int32_t n : numbers)
            found.loadContact(n, snapshot.record(n).view(Field::LastName),
                              snapshot.record(n).view(Field::FirstName));
        found.endLoad();
        matched = found.size();
        if (kind == Format::Export) {
            std::error_code uidError;
            const auto uids = interop::ContactUids::open(c.dataFilePath, uidError);
            if (!uids) {
                c.error(terminalSafe(QString::fromStdString(
                            interop::ContactUids::idFilePath(c.dataFilePath))) +
                        ": " + QString::fromStdString(uidError.message()));
                return ExitFailure;
            }
            std::vector<const ContactNode *> nodes;
            for (const ContactNode &node : found)
                nodes.push_back(&node);
            out = interop::exportContacts(nodes, *uids, *exportFormat, "-").bytes;
        } else {
            if (kind == Format::Mutt) // the status line a mail client skips
                out =
                    (matched == 1 ? c.text("1 contact found", "1 contact trouvé")
                                  : c.text("%1 contacts found", "%1 contacts trouvés").arg(matched))
                        .toStdString() +
                    '\n';
            out.reserve(out.size() + matched * 80);
            for (const ContactNode &node : found) {
                const ContactRecord &r = snapshot.record(node.RecordNumber);
                kind == Format::Mutt ? appendMuttLine(out, r) : appendLine(out, r);
            }
        }
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
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
