// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_command.h"

#include "data_file_access.h"
#include "store/contact_store.h"
#include "sync/dav_client.h"
#include "sync/discovery.h"
#include "sync/origin.h"
#include "sync/password_store.h"
#include "sync/sync_backup.h"
#include "sync/sync_engine.h"
#include "sync/sync_settings.h"
#include "sync/sync_state.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace vcq::cli
{

namespace
{

// The server password typed on the terminal without echo; empty when there is no terminal.
QString typedPassword(const CommandContext &c)
{
    std::string line;
    if (!readHiddenLine(c.text("Server password", "Mot de passe du serveur"), line))
        return {};
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
}

int fail(const CommandContext &c, const sync::SyncError &error)
{
    c.error(terminalSafe(sync::errorText(error, c.french)));
    return ExitFailure;
}

// The options every use of the command shares.
struct SyncOptionSet {
    QCommandLineOption user;
    QCommandLineOption passwordFile;
    QCommandLineOption certificate;
    QCommandLineOption insecure;
    QCommandLineOption timeout;
};

// A client for the origin of `address`, with the time-out asked for, that
// shows on a terminal how long the server has been silent.
bool prepareClient(const CommandContext &c, const QCommandLineParser &parser,
                   const SyncOptionSet &o, sync::DavClient &client, ProgressLine &progress)
{
    if (parser.isSet(o.timeout)) {
        bool ok = false;
        const double seconds = parser.value(o.timeout).toDouble(&ok);
        if (!ok || seconds <= 0 || seconds > 24 * 3600) {
            c.error(c.text("--timeout takes a number of seconds.",
                           "--timeout attend un nombre de secondes."));
            return false;
        }
        client.setTimeout(std::max(1, int(seconds * 1000)));
    }
    QObject::connect(&client, &sync::DavClient::waiting, &client,
                     [&c, &progress](int silent, qint64 received) {
                         if (silent < 1)
                             return;
                         progress.show(c.text("Waiting for the server: %1 s (%2 kB received)",
                                              "En attente du serveur : %1 s (%2 ko reçus)")
                                           .arg(silent)
                                           .arg(received / 1024));
                     });
    return true;
}

int runSetup(const CommandContext &c, const QCommandLineParser &parser, const QString &url,
             const SyncOptionSet &o)
{
    if (!parser.isSet(o.user)) {
        c.error(c.text("Which user? Give --user NAME.", "Quel utilisateur ? Donnez --user NOM."));
        return ExitFailure;
    }
    sync::SyncSettings settings;
    settings.server = url;
    settings.user = parser.value(o.user);
    settings.fingerprint = parser.value(o.certificate);
    settings.allowInsecureHttp = parser.isSet(o.insecure);
    const QUrl start = QUrl::fromUserInput(url);
    // Refused before a password is asked for: it would travel in clear.
    if (sync::isInsecureHttp(start) && !settings.allowInsecureHttp)
        return fail(c, {sync::SyncErrc::Insecure, 0, start.toString(), {}});

    QString password;
    const bool fromFile = parser.isSet(o.passwordFile);
    if (fromFile) {
        const sync::PasswordLookup lookup = sync::readPasswordFile(parser.value(o.passwordFile));
        if (lookup.error)
            return fail(c, lookup.error);
        password = lookup.password;
    } else {
        password = typedPassword(c);
        if (password.isEmpty())
            return fail(c, {sync::SyncErrc::NoPassword, 0, {}, {}});
    }

    sync::DavClient client;
    ProgressLine progress(c);
    if (!prepareClient(c, parser, o, client, progress))
        return ExitFailure;
    client.setCredentials(start, settings.user, password);
    client.setAcceptedFingerprint(settings.fingerprint);
    client.setAllowInsecureHttp(settings.allowInsecureHttp);
    const sync::DiscoveryResult found = sync::discoverAddressBook(client, start);
    progress.end();
    if (found.error)
        return fail(c, found.error);
    if (settings.allowInsecureHttp && sync::isInsecureHttp(found.collection))
        c.error(c.text("Warning: plain http, the password travels in clear.",
                       "Attention : http simple, le mot de passe circule en clair."));
    settings.collection = found.collection.toString();

    QString problem;
    if (!sync::saveSyncSettings(QString::fromStdString(c.dataFilePath), settings, &problem)) {
        c.error(terminalSafe(problem));
        return ExitFailure;
    }
    c.print(c.text("Address book: %1", "Carnet d'adresses : %1")
                .arg(terminalSafe(settings.collection + (found.displayName.isEmpty()
                                                             ? QString()
                                                             : " (" + found.displayName + ")"))));
    if (fromFile) {
        // A password given in a file stays there: it is never copied.
        c.print(c.text("Give --password-file again to each sync.",
                       "Donnez de nouveau --password-file à chaque synchronisation."));
        return ExitSuccess;
    }
    if (const sync::SyncError stored = sync::storePassword(sync::passwordKey(settings), password)) {
        c.error(terminalSafe(sync::errorText(stored, c.french)));
        c.error(c.text("The password was not stored: give --password-file to each sync.",
                       "Le mot de passe n'a pas été enregistré : donnez --password-file à "
                       "chaque synchronisation."));
        return ExitRemarks;
    }
    c.print(c.text("The password is in the keyring.", "Le mot de passe est dans le trousseau."));
    return ExitSuccess;
}

int runStatus(const CommandContext &c)
{
    const QString dataFile = QString::fromStdString(c.dataFilePath);
    sync::SyncSettings settings;
    QString problem;
    if (!sync::loadSyncSettings(dataFile, settings, &problem)) {
        if (!problem.isEmpty())
            c.error(terminalSafe(problem));
        return fail(c, {sync::SyncErrc::NotConfigured, 0, {}, {}});
    }
    c.print(c.text("Server: %1", "Serveur : %1").arg(terminalSafe(settings.server)));
    c.print(c.text("Address book: %1", "Carnet d'adresses : %1")
                .arg(terminalSafe(settings.collection)));
    c.print(c.text("User: %1", "Utilisateur : %1").arg(terminalSafe(settings.user)));
    if (!settings.fingerprint.isEmpty())
        c.print(c.text("Accepted certificate: %1", "Certificat accepté : %1")
                    .arg(terminalSafe(settings.fingerprint)));
    if (settings.allowInsecureHttp)
        c.print(c.text("Plain http allowed: the password travels in clear.",
                       "http simple accepté : le mot de passe circule en clair."));

    sync::SyncState state;
    const QString statePath = sync::syncStatePath(dataFile);
    const QFileInfo stateInfo(statePath);
    const sync::StateLoad loaded = stateInfo.exists()
                                       ? sync::loadSyncState(statePath, state, &problem, false)
                                       : sync::StateLoad::Missing;
    if (loaded == sync::StateLoad::Damaged) {
        c.print(c.text("The sync state was damaged (%1); the next sync rebuilds it.",
                       "L'état de synchronisation était endommagé (%1) ; la prochaine "
                       "synchronisation le reconstruit.")
                    .arg(terminalSafe(problem)));
        return ExitRemarks;
    }
    if (loaded == sync::StateLoad::Missing || !state.complete ||
        state.collection != settings.collection) {
        c.print(c.text("Never synchronised with this address book.",
                       "Jamais synchronisé avec ce carnet d'adresses."));
    } else {
        c.print(c.text("Last sync: %1, %2 contacts", "Dernière synchronisation : %1, %2 contacts")
                    .arg(stateInfo.lastModified().toString(Qt::ISODate))
                    .arg(state.entries.size()));
        if (!state.leftOnServer.empty())
            c.print(c.text("Left on the server as too large: %1 card(s)",
                           "Laissées sur le serveur, trop grandes : %1 fiche(s)")
                        .arg(state.leftOnServer.size()));
    }
    if (lockedByAnotherCopy(c.dataFilePath)) {
        c.print(c.text("The data file is open in the program: changes waiting are not counted.",
                       "Le fichier de données est ouvert dans le programme : les changements en "
                       "attente ne sont pas comptés."));
        return ExitSuccess;
    }
    ContactStore store;
    try {
        store.open(c.dataFilePath);
        store.loadContacts();
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    const sync::PendingChanges pending = sync::pendingLocalChanges(store.list(), state);
    c.print(c.text("Waiting here: %1 new, %2 changed, %3 deleted",
                   "En attente ici : %1 nouveaux, %2 modifiés, %3 supprimés")
                .arg(pending.added)
                .arg(pending.changed)
                .arg(pending.deleted));
    return ExitSuccess;
}

int runOneSync(const CommandContext &c, const QCommandLineParser &parser, const SyncOptionSet &o)
{
    const QString dataFile = QString::fromStdString(c.dataFilePath);
    sync::SyncSettings settings;
    QString problem;
    if (!sync::loadSyncSettings(dataFile, settings, &problem)) {
        if (!problem.isEmpty())
            c.error(terminalSafe(problem));
        return fail(c, {sync::SyncErrc::NotConfigured, 0, {}, {}});
    }
    sync::PasswordLookup password;
    if (parser.isSet(o.passwordFile)) {
        password = sync::readPasswordFile(parser.value(o.passwordFile));
    } else {
        password = sync::readStoredPassword(sync::passwordKey(settings));
    }
    if (password.error)
        return fail(c, password.error);

    if (lockedByAnotherCopy(c.dataFilePath)) {
        c.error(c.text("%1 is in use: Vellora Carnetique 97 is open on this folder. Close it or "
                       "use \"Synchronise now\" in its window.",
                       "%1 est en cours d'utilisation : Vellora Carnetique 97 est ouvert sur ce "
                       "dossier. Fermez-le ou utilisez « Synchroniser maintenant » dans sa "
                       "fenêtre.")
                    .arg(terminalSafe(dataFile)));
        return ExitFailure;
    }
    ContactStore store;
    try {
        store.open(c.dataFilePath);
        if (!accessGranted(c, store.header(), QString()))
            return ExitFailure;
        store.loadContacts();
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }

    sync::DavClient client;
    ProgressLine progress(c);
    if (!prepareClient(c, parser, o, client, progress))
        return ExitFailure;
    client.setCredentials(QUrl(settings.collection), settings.user, password.password);
    client.setAcceptedFingerprint(settings.fingerprint);
    client.setAllowInsecureHttp(settings.allowInsecureHttp);
    sync::SyncOptions options;
    options.dataFilePath = dataFile;
    options.collection = QUrl(settings.collection);
    options.backup = [&](QString *copy, QString *why) {
        return sync::backupDataFileBeforeSync(dataFile, copy, why);
    };
    options.progress = [&](const char *stage, int done, int total) {
        progress.show(c.text("Synchronising (%1): %2/%3", "Synchronisation (%1) : %2/%3")
                          .arg(QString::fromLatin1(stage))
                          .arg(done)
                          .arg(total));
    };
    const sync::SyncReport report = sync::runSync(store, client, options);
    progress.end();
    const QStringList lines = sync::reportText(report, c.french).split('\n');
    for (const QString &line : lines)
        c.print(terminalSafe(line));
    return report.exitCode();
}

int runSync(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(c.text(
        "Synchronises VCQ97.NAM of the current folder with an address book on a CardDAV "
        "server, both ways.\n"
        "  sync setup URL --user NAME   finds the address book (a server address or the "
        "book's own)\n"
        "  sync                         one two-way sync; the report goes to standard output\n"
        "  sync status                  where it syncs to and what is waiting\n"
        "The password is kept in the desktop's keyring; --password-file reads it from a file "
        "instead\n(never stored). Exit status: 0 done, 1 a card refused or a conflict "
        "resolved, 2 failed.",
        "Synchronise VCQ97.NAM du dossier courant avec un carnet d'adresses d'un serveur "
        "CardDAV, dans les deux sens.\n"
        "  sync setup URL --user NOM    trouve le carnet (adresse du serveur ou du carnet)\n"
        "  sync                         une synchronisation ; le rapport sur la sortie "
        "standard\n"
        "  sync status                  où il se synchronise et ce qui attend\n"
        "Le mot de passe est gardé dans le trousseau du bureau ; --password-file le lit dans "
        "un fichier\n(jamais enregistré). Code de sortie : 0 fait, 1 une fiche refusée ou un "
        "conflit résolu, 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption user(
        "user", c.text("The user name on the server.", "Le nom d'utilisateur sur le serveur."),
        c.text("NAME", "NOM"));
    const QCommandLineOption passwordFile(
        "password-file",
        c.text("Reads the server password from the first line of FILE.",
               "Lit le mot de passe du serveur sur la première ligne de FICHIER."),
        c.text("FILE", "FICHIER"));
    const QCommandLineOption certificate(
        "accept-certificate",
        c.text("Trusts the server's certificate with this SHA-256 fingerprint even though it "
               "cannot be verified.",
               "Fait confiance au certificat du serveur de cette empreinte SHA-256 même s'il ne "
               "peut être vérifié."),
        c.text("FINGERPRINT", "EMPREINTE"));
    const QCommandLineOption insecure(
        "allow-insecure-http",
        c.text("At setup: accepts a plain http address on another machine (the password "
               "travels in clear); remembered.",
               "À la configuration : accepte une adresse http simple sur une autre machine (le "
               "mot de passe circule en clair) ; retenu."));
    const QCommandLineOption timeout(
        "timeout",
        c.text("Gives up when the server sends nothing for SECONDS (60 unless set here or in "
               "VCQ_SYNC_TIMEOUT).",
               "Abandonne quand le serveur n'envoie rien pendant SECONDES (60 sauf ici ou dans "
               "VCQ_SYNC_TIMEOUT)."),
        c.text("SECONDS", "SECONDES"));
    parser.addOptions({help, user, passwordFile, certificate, insecure, timeout});
    const SyncOptionSet options{user, passwordFile, certificate, insecure, timeout};
    parser.addPositionalArgument(
        "setup|status",
        c.text("What to do; nothing: one sync.", "Quoi faire ; rien : une synchronisation."),
        "[setup URL | status]");
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    const QStringList words = parser.positionalArguments();
    if (words.value(0) == "setup" && words.size() == 2)
        return runSetup(c, parser, words[1], options);
    if (words.value(0) == "status" && words.size() == 1)
        return runStatus(c);
    if (words.isEmpty())
        return runOneSync(c, parser, options);
    c.error(c.text("Unknown use: \"vellora-carnetique-97 sync --help\" explains.",
                   "Usage inconnu : « vellora-carnetique-97 sync --help » l'explique."));
    return ExitFailure;
}

} // namespace

Command syncCommand()
{
    return {"sync", "Synchronises the contacts with a CardDAV server",
            QString::fromUtf8("Synchronise les contacts avec un serveur CardDAV"), runSync};
}

} // namespace vcq::cli
