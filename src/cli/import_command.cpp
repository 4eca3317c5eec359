// SPDX-License-Identifier: GPL-3.0-or-later
#include "import_command.h"

#include "data_file_access.h"
#include "interop/importer.h"
#include "report_output.h"
#include "store/contact_store.h"

#include <QCommandLineParser>

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

QString summary(const CommandContext &c, const interop::ImportResult &result)
{
    using interop::ReportEvent;
    const interop::ImportReport &r = result.report;
    const int others = r.count(ReportEvent::Transliterated) + r.count(ReportEvent::Cut) +
                       r.count(ReportEvent::DroppedData);
    return c
        .text("%1 contacts added, %2 duplicates not added, %3 broken cards, %4 remarks on "
              "the data carried.",
              "%1 contacts ajoutés, %2 doublons non ajoutés, %3 fiches illisibles, %4 "
              "remarques sur les données reprises.")
        .arg(result.added)
        .arg(r.count(ReportEvent::DuplicateSkipped))
        .arg(r.count(ReportEvent::BrokenCard))
        .arg(others);
}

QString backupSentence(const CommandContext &c, const interop::ImportResult &result)
{
    if (result.backupPath.empty())
        return c.text("The data file was not changed.", "Le fichier de données n'a pas changé.");
    return c
        .text("The data file as it was before the import is saved as %1.",
              "Le fichier de données d'avant l'importation est sauvegardé sous %1.")
        .arg(terminalSafe(QString::fromStdString(result.backupPath)));
}

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
    const QCommandLineOption passwordFile(
        "password-file",
        c.text("Reads the password of a protected data file from FILE.",
               "Lit le mot de passe d'un fichier de données protégé dans FICHIER."),
        c.text("FILE", "FICHIER"));
    const QCommandLineOption reportFile(
        "report",
        c.text("Saves the whole report in FILE.", "Enregistre tout le rapport dans FICHIER."),
        c.text("FILE", "FICHIER"));
    parser.addOptions({help, duplicates, passwordFile, reportFile});
    parser.addPositionalArgument(
        c.text("FILE", "FICHIER"),
        c.text("vCard (.vcf) or CSV files.", "Fichiers vCard (.vcf) ou CSV."),
        c.text("FILE...", "FICHIER..."));
    if (!parser.parse(arguments)) {
        c.error(parser.errorText());
        return ExitFailure;
    }
    if (parser.isSet(help)) {
        c.print(commandHelp(parser, arguments));
        return ExitSuccess;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        c.error(c.text("Which files? \"vellora-carnetique-97 import --help\" explains.",
                       "Quels fichiers ? « vellora-carnetique-97 import --help » l'explique."));
        return ExitFailure;
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
    switch (result.outcome) {
    case interop::ImportOutcome::Failed:
        if (!result.failedSource.empty()) {
            c.error(storeErrorText(
                        c, result.failedSource,
                        StoreError(result.errorKind, result.errorCode, result.errorMessage)) +
                    "\n" + c.text("Nothing was imported.", "Rien n'a été importé."));
            return ExitFailure;
        }
        c.error(c.text("The import stopped: %1. Contacts added before it stopped: %2.",
                       "L'importation s'est arrêtée : %1. Contacts ajoutés avant l'arrêt : %2.")
                    .arg(storeErrorText(
                        c, c.dataFilePath,
                        StoreError(result.errorKind, result.errorCode, result.errorMessage)))
                    .arg(result.added) +
                "\n" + backupSentence(c, result));
        return ExitFailure;
    case interop::ImportOutcome::Cancelled:
        c.error(c.text("Import interrupted. Contacts added before it stopped: %1.",
                       "Importation interrompue. Contacts ajoutés avant l'arrêt : %1.")
                    .arg(result.added) +
                "\n" + backupSentence(c, result));
        return ExitFailure;
    case interop::ImportOutcome::Done:
        break;
    }
    c.print(summary(c, result));
    return result.report.hasRemarks() ? ExitRemarks : ExitSuccess;
}

} // namespace

Command importCommand()
{
    return {"import", "Imports contacts from vCard or CSV files",
            QString::fromUtf8("Importe des contacts de fichiers vCard ou CSV"), runImport};
}

} // namespace vcq::cli
