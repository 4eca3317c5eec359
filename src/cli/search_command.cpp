// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_command.h"

#include "core/cp1252.h"
#include "data_file_access.h"
#include "interop/contact_uid.h"
#include "interop/exporter.h"
#include "search/query_text.h"
#include "search/search_index.h"
#include "store/contact_snapshot.h"

#include <QCommandLineParser>

#include <cerrno>
#include <cstring>

namespace vcq::cli
{

namespace
{

enum class Format { Lines, Mutt, Export };

QString text(const ContactRecord &r, Field f)
{
    return terminalSafe(fromCp1252(r.view(f)));
}

QString firstPhone(const ContactRecord &r)
{
    for (const Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3})
        if (!trimBlanksAndControls(r.view(f)).empty())
            return text(r, f);
    return {};
}

// "Last First<TAB>e-mail<TAB>first phone".
QString line(const ContactRecord &r)
{
    return text(r, Field::LastName) + ' ' + text(r, Field::FirstName) + '\t' +
           text(r, Field::Email) + '\t' + firstPhone(r);
}

// A mail client's address query: "e-mail<TAB>name<TAB>other information".
QString muttLine(const ContactRecord &r)
{
    QString other = text(r, Field::Organisation).trimmed();
    if (other.isEmpty())
        other = text(r, Field::City).trimmed();
    return text(r, Field::Email).trimmed() + '\t' +
           (text(r, Field::FirstName) + ' ' + text(r, Field::LastName)).trimmed() + '\t' + other;
}

bool writeOut(const CommandContext &c, const QByteArray &bytes)
{
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), c.out) ==
            std::size_t(bytes.size()) &&
        std::fflush(c.out) == 0)
        return true;
    c.error(c.text("Standard output: %1", "Sortie standard : %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return false;
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
    const QCommandLineOption passwordFile(
        "password-file",
        c.text("Reads the password of a protected data file from FILE.",
               "Lit le mot de passe d'un fichier de données protégé dans FICHIER."),
        c.text("FILE", "FICHIER"));
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

    try {
        const ContactSnapshot snapshot = readSnapshot(c.dataFilePath, SnapshotAccess::Copy);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        std::vector<const ContactNode *> found;
        std::string scratch;
        for (const ContactNode &node : snapshot.list) {
            const ContactRecord &r = snapshot.record(node.RecordNumber);
            scratch.clear();
            search::appendRecordText(scratch, r);
            if (search::textMatches(query, scratch) &&
                (kind != Format::Mutt || !trimBlanksAndControls(r.view(Field::Email)).empty()))
                found.push_back(&node);
        }
        QByteArray out;
        if (kind == Format::Export) {
            std::error_code uidError;
            const auto uids = interop::ContactUids::open(c.dataFilePath, uidError);
            if (!uids) {
                c.error(terminalSafe(QString::fromStdString(
                            interop::ContactUids::idFilePath(c.dataFilePath))) +
                        ": " + QString::fromStdString(uidError.message()));
                return ExitFailure;
            }
            const auto exported = interop::exportContacts(found, *uids, *exportFormat, "-");
            out = QByteArray::fromStdString(exported.bytes);
        } else {
            QString lines;
            if (kind == Format::Mutt) // the status line a mail client skips
                lines =
                    (found.size() == 1
                         ? c.text("1 contact found", "1 contact trouvé")
                         : c.text("%1 contacts found", "%1 contacts trouvés").arg(found.size())) +
                    '\n';
            for (const ContactNode *node : found) {
                const ContactRecord &r = snapshot.record(node->RecordNumber);
                lines += (kind == Format::Mutt ? muttLine(r) : line(r)) + '\n';
            }
            out = lines.toUtf8();
        }
        if (!writeOut(c, out))
            return ExitFailure;
        return found.empty() ? ExitRemarks : ExitSuccess;
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
}

} // namespace

Command searchCommand()
{
    return {"search", "Prints the contacts that match a query",
            QString::fromUtf8("Affiche les contacts qui correspondent à une recherche"), runSearch};
}

} // namespace vcq::cli
