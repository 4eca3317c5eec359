// SPDX-License-Identifier: GPL-3.0-or-later
#include "bin_command.h"

#include "core/cp1252.h"
#include "data_file_access.h"
#include "store/bin_restore.h"
#include "store/contact_store.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>

namespace vcq::cli
{

namespace
{

QString howText(const CommandContext &c, DeletedHow how)
{
    switch (how) {
    case DeletedHow::AddUndone:
        return c.text("addition undone", "ajout annulé");
    case DeletedHow::Synced:
        return c.text("deleted by sync", "supprimé par synchro");
    case DeletedHow::Undone:
        return c.text("undone", "annulé");
    case DeletedHow::Deleted:
        break;
    }
    return c.text("deleted", "supprimé");
}

QString keyText(const ContactRecord &r)
{
    return terminalSafe(fromCp1252(displayKey(r)));
}

// The data file's header as it is on disk, for its password; read without
// the lock, so that listing works while the program is open.
bool readHeader(const CommandContext &c, ContactRecord &header)
{
    QFile file(QString::fromStdString(c.dataFilePath));
    if (!file.open(QIODevice::ReadOnly)) {
        c.error(storeErrorText(c, c.dataFilePath, StoreError::io(2)));
        return false;
    }
    const QByteArray bytes = file.read(qint64(kRecordSize));
    if (bytes.size() != qsizetype(kRecordSize)) {
        c.error(storeErrorText(c, c.dataFilePath, StoreError::of(StoreErrc::WrongFileFormat)));
        return false;
    }
    header = ContactRecord::fromBytes(reinterpret_cast<const unsigned char *>(bytes.constData()));
    return true;
}

int runList(const CommandContext &c, const QString &passwordFile)
{
    ContactRecord header;
    if (!readHeader(c, header) || !accessGranted(c, header, passwordFile))
        return ExitFailure;
    std::vector<BinEntry> entries;
    try {
        entries = ContactBin(c.dataFilePath).list();
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, binPath(c.dataFilePath), e));
        return ExitFailure;
    }
    if (entries.empty()) {
        c.print(c.text("The bin is empty.", "La corbeille est vide."));
        return ExitSuccess;
    }
    for (const BinEntry &e : entries)
        c.print(QString::number(e.number) + '\t' +
                QDateTime::fromMSecsSinceEpoch(e.deletedAtMs).toString("yyyy-MM-dd HH:mm") + '\t' +
                howText(c, e.how) + '\t' + keyText(e.record));
    return ExitSuccess;
}

// Opens the data file for a change; false, with the reason said, when it cannot be.
bool openForChange(const CommandContext &c, ContactStore &store, const QString &passwordFile)
{
    if (lockedByAnotherCopy(c.dataFilePath)) {
        c.error(c.text("%1 is in use: Vellora Carnetique 97 is open on this folder. Close it or "
                       "use \"Deleted contacts...\" in its window.",
                       "%1 est en cours d'utilisation : Vellora Carnetique 97 est ouvert sur ce "
                       "dossier. Fermez-le ou utilisez « Contacts supprimés... » dans sa "
                       "fenêtre.")
                    .arg(terminalSafe(QString::fromStdString(c.dataFilePath))));
        return false;
    }
    try {
        // A bin without its data file is not made into a new, empty data file.
        if (!QFile::exists(QString::fromStdString(c.dataFilePath)))
            throw StoreError::io(2);
        store.open(c.dataFilePath);
        if (!accessGranted(c, store.header(), passwordFile))
            return false;
        store.loadContacts();
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return false;
    }
    return true;
}

int runRestore(const CommandContext &c, const QStringList &words, const QString &passwordFile)
{
    std::vector<std::uint64_t> numbers;
    for (const QString &w : words) {
        bool ok = false;
        const qulonglong n = w.toULongLong(&ok);
        if (!ok || n == 0) {
            c.error(c.text("\"%1\" is not a number from \"bin list\".",
                           "« %1 » n'est pas un numéro de « bin list ».")
                        .arg(terminalSafe(w)));
            return ExitFailure;
        }
        numbers.push_back(n);
    }
    ContactStore store;
    if (!openForChange(c, store, passwordFile))
        return ExitFailure;
    std::vector<std::uint64_t> unknown;
    std::vector<RestoredContact> restored;
    try {
        restored = restoreFromBin(store, numbers, unknown);
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    if (!unknown.empty()) {
        QStringList list;
        for (const std::uint64_t n : unknown)
            list << QString::number(n);
        c.error(c.text("Not in the bin: %1. Nothing was restored.",
                       "Absent de la corbeille : %1. Rien n'a été restauré.")
                    .arg(list.join(", ")));
        return ExitFailure;
    }
    for (const RestoredContact &r : restored) {
        const ContactNode *node = store.list().findRecord(r.slot);
        const QString key = node ? keyText(node->record()) : QString();
        c.print(r.ownSlot ? c.text("Restored %1: %2", "Restauré %1 : %2").arg(r.number).arg(key)
                          : c.text("Restored %1 as a new contact: %2",
                                   "Restauré %1 comme nouveau contact : %2")
                                .arg(r.number)
                                .arg(key));
    }
    return ExitSuccess;
}

int runEmpty(const CommandContext &c, const QString &passwordFile)
{
    ContactStore store;
    if (!openForChange(c, store, passwordFile))
        return ExitFailure;
    try {
        const std::size_t count = store.bin().list().size();
        store.bin().empty();
        c.print(c.text("The bin is empty: %1 contacts deleted for good.",
                       "La corbeille est vide : %1 contacts supprimés définitivement.")
                    .arg(count));
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, binPath(c.dataFilePath), e));
        return ExitFailure;
    }
    return ExitSuccess;
}

int runBin(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(c.text(
        "The contacts deleted from VCQ97.NAM of the current folder, kept in VCQ97.NAM.bin: "
        "the last 1,000, and all those of the last 90 days.\n"
        "  bin list            the deleted contacts, newest first: number, date, how, name\n"
        "  bin restore N...    brings them back (into their own record when it is free)\n"
        "  bin empty           deletes them for good\n"
        "Exit status: 0 done, 2 failed.",
        "Les contacts supprimés de VCQ97.NAM du dossier courant, gardés dans VCQ97.NAM.bin : "
        "les 1 000 derniers, et tous ceux des 90 derniers jours.\n"
        "  bin list            les contacts supprimés, du plus récent : numéro, date, comment, "
        "nom\n"
        "  bin restore N...    les rétablit (dans leur propre fiche quand elle est libre)\n"
        "  bin empty           les supprime définitivement\n"
        "Code de sortie : 0 fait, 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption passwordFile(
        "password-file",
        c.text("Reads the password of a protected data file from FILE.",
               "Lit le mot de passe d'un fichier de données protégé dans FICHIER."),
        c.text("FILE", "FICHIER"));
    parser.addOptions({help, passwordFile});
    parser.addPositionalArgument("list|restore|empty", c.text("What to do.", "Quoi faire."),
                                 "list | restore N... | empty");
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    const QStringList words = parser.positionalArguments();
    const QString password = parser.value(passwordFile);
    if (words.value(0) == "list" && words.size() == 1)
        return runList(c, password);
    if (words.value(0) == "restore" && words.size() > 1)
        return runRestore(c, words.mid(1), password);
    if (words.value(0) == "empty" && words.size() == 1)
        return runEmpty(c, password);
    c.error(c.text("Unknown use: \"vellora-carnetique-97 bin --help\" explains.",
                   "Usage inconnu : « vellora-carnetique-97 bin --help » l'explique."));
    return ExitFailure;
}

} // namespace

Command binCommand()
{
    return {"bin", "Lists, restores or empties the deleted contacts",
            QString::fromUtf8("Liste, restaure ou vide les contacts supprimés"), runBin};
}

} // namespace vcq::cli
