// SPDX-License-Identifier: GPL-3.0-or-later
#include "import_command.h"

#include "data_file_access.h"
#include "interop/importer.h"
#include "interop/report_texts.h"
#include "report_output.h"
#include "store/contact_store.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cerrno>

#include <csignal>

namespace vcq::cli
{

namespace
{

volatile std::sig_atomic_t g_interrupted = 0;

// Ctrl+C ends the import between two batches: what was written stays.
class InterruptCatcher
{
public:
    InterruptCatcher()
    {
        g_interrupted = 0;
        struct sigaction action {
        };
        action.sa_handler = [](int) { g_interrupted = 1; };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_saved);
    }
    ~InterruptCatcher() { ::sigaction(SIGINT, &m_saved, nullptr); }
    InterruptCatcher(const InterruptCatcher &) = delete;
    InterruptCatcher &operator=(const InterruptCatcher &) = delete;

private:
    struct sigaction m_saved {
    };
};

int runImport(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        c.text("Imports the contacts of vCard (2.1, 3.0, 4.0) and CSV files into VCQ97.NAM in "
               "the current folder.\nA card that matches a stored contact (same last name, first "
               "name and one phone or e-mail)\nis not added again. Exit status: 0 done, 1 done "
               "with remarks, 2 failed.",
               "Importe les contacts de fichiers vCard (2.1, 3.0, 4.0) et CSV dans VCQ97.NAM du "
               "dossier courant.\nUne fiche qui correspond à un contact enregistré (même nom, "
               "prénom et un téléphone ou courriel)\nn'est pas ajoutée une seconde fois. Code de "
               "sortie : 0 fait, 1 fait avec remarques, 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption duplicates(
        "allow-duplicates",
        c.text("Adds cards that match a stored contact too.",
               "Ajoute aussi les fiches qui correspondent à un contact enregistré."));
    const QCommandLineOption passwordFile = passwordFileOption(c);
    const QCommandLineOption reportFile(
        "report",
        c.text("Saves the whole report in FILE.", "Enregistre tout le rapport dans FICHIER."),
        c.text("FILE", "FICHIER"));
    parser.addOptions({help, duplicates, passwordFile, reportFile});
    parser.addPositionalArgument(
        c.text("FILE", "FICHIER"),
        c.text("vCard (.vcf) or CSV files.", "Fichiers vCard (.vcf) ou CSV."),
        c.text("FILE...", "FICHIER..."));
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        c.error(c.text("Which files? \"vellora-carnetique-97 import --help\" explains.",
                       "Quels fichiers ? « vellora-carnetique-97 import --help » l'explique."));
        return ExitFailure;
    }

    // A file that cannot be read stops the import before the data file is
    // opened (or created).
    for (const QString &f : files) {
        const QFileInfo info(f);
        if (!info.isFile() || !info.isReadable()) {
            const int err = !info.exists() ? ENOENT : info.isDir() ? EISDIR : EACCES;
            c.error(storeErrorText(c, f.toStdString(), StoreError::fromErrno(err)) + "\n" +
                    c.text("Nothing was imported.", "Rien n'a été importé."));
            return ExitFailure;
        }
    }
    if (lockedByAnotherCopy(c.dataFilePath)) {
        c.error(c.text("%1 is in use: Vellora Carnetique 97 is open on this folder. Close it and "
                       "import again.",
                       "%1 est en cours d'utilisation : Vellora Carnetique 97 est ouvert sur ce "
                       "dossier. Fermez-le et importez de nouveau.")
                    .arg(QString::fromStdString(c.dataFilePath)));
        return ExitFailure;
    }
    ContactStore store;
    try {
        store.open(c.dataFilePath);
        if (!accessGranted(c, store.header(), parser.value(passwordFile)))
            return ExitFailure;
        store.loadContacts();
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }

    std::vector<std::string> paths;
    for (const QString &f : files)
        paths.push_back(f.toStdString());
    ProgressLine progress(c);
    InterruptCatcher interrupts;
    interop::ImportOptions options;
    options.allowDuplicates = parser.isSet(duplicates);
    options.progress = [&](const interop::ImportProgress &p) {
        progress.show(c.text("Importing %1 (%2/%3): %4 contacts added, %5%",
                             "Importation de %1 (%2/%3) : %4 contacts ajoutés, %5 %")
                          .arg(terminalSafe(QString::fromStdString(p.fileName)))
                          .arg(p.file)
                          .arg(p.files)
                          .arg(p.added)
                          .arg(int(p.fraction() * 100)));
        return g_interrupted == 0;
    };
    const interop::ImportResult result =
        interop::importFiles(store, c.dataFilePath, paths, options);
    progress.end();

    printRemarks(c, c.out, result.report);
    if (parser.isSet(reportFile) && !saveReport(c, parser.value(reportFile), result.report))
        return ExitFailure;
    if (result.outcome != interop::ImportOutcome::Done) {
        const QString errorText =
            storeErrorText(c, result.failedSource.empty() ? c.dataFilePath : result.failedSource,
                           StoreError(result.errorKind, result.errorCode, result.errorMessage));
        const QString ending = QString::fromStdString(
            interop::importEnding(result, errorText.toStdString(), c.french));
        for (const QString &line : ending.split(u'\n'))
            c.error(terminalSafe(line));
        return ExitFailure;
    }
    c.print(QString::fromStdString(interop::importSummary(result, c.french)));
    return result.report.hasRemarks() ? ExitRemarks : ExitSuccess;
}

} // namespace

Command importCommand()
{
    return {"import", "Imports contacts from vCard or CSV files",
            QString::fromUtf8("Importe des contacts de fichiers vCard ou CSV"), runImport};
}

} // namespace vcq::cli
