// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_report.h"

#include "interop/transliterate.h"

#include <QStringList>

namespace vcq::sync
{

namespace
{

QString tr2(bool french, const char *fr, const char *en)
{
    return QString::fromUtf8(french ? fr : en);
}

QString fieldName(Field f, bool french)
{
    switch (f) {
    case Field::FirstName:
        return tr2(french, "Prénom", "First name");
    case Field::LastName:
        return tr2(french, "Nom", "Last name");
    case Field::Organisation:
        return tr2(french, "Organisation", "Organisation");
    case Field::Address1:
        return tr2(french, "Adresse", "Address");
    case Field::City:
        return tr2(french, "Ville", "City");
    case Field::Zip:
        return tr2(french, "Code postal", "Postal code");
    case Field::State:
        return tr2(french, "Province/État", "Province/State");
    case Field::Country:
        return tr2(french, "Pays", "Country");
    case Field::Phone1:
        return tr2(french, "Tél. maison", "Home phone");
    case Field::Phone2:
        return tr2(french, "Tél. travail", "Work phone");
    case Field::Cell:
        return tr2(french, "Autre tél.", "Other phone");
    case Field::Phone3:
        return tr2(french, "Fax/données", "Fax/data");
    case Field::Email:
        return tr2(french, "Courriel", "E-mail");
    case Field::Comment:
        return tr2(french, "Remarques", "Remarks");
    case Field::Birth:
        return tr2(french, "Naissance", "Birth date");
    case Field::Status:
        return tr2(french, "Statut", "Status");
    default:
        return {};
    }
}

QString conflictText(ConflictKind kind, bool french)
{
    switch (kind) {
    case ConflictKind::BothChanged:
        return tr2(french, "modifié des deux côtés ; la version du serveur est gardée",
                   "changed on both sides; the server's version was kept");
    case ConflictKind::ChangedHereDeletedThere:
        return tr2(french, "modifié ici, supprimé sur le serveur ; supprimé ici",
                   "changed here, deleted on the server; deleted here");
    case ConflictKind::DeletedHereChangedThere:
        return tr2(french, "supprimé ici, modifié sur le serveur ; rétabli ici",
                   "deleted here, changed on the server; restored here");
    case ConflictKind::Matched:
        return tr2(french,
                   "déjà présent des deux côtés avec des différences ; le serveur l'emporte",
                   "present on both sides with differences; the server's values were kept");
    }
    return {};
}

} // namespace

int SyncReport::exitCode() const
{
    if (error)
        return 2;
    return (conflicts.empty() && refused.empty() && unreadableCards == 0 && outside.empty() &&
            tooLarge.empty())
               ? 0
               : 1;
}

QString errorText(const SyncError &error, bool french)
{
    const QString d = error.detail;
    switch (error.code) {
    case SyncErrc::None:
        return {};
    case SyncErrc::NotConfigured:
        return tr2(french,
                   "Aucun serveur n'est configuré : lancez d'abord « sync setup URL --user NOM ».",
                   "No server is set up: run \"sync setup URL --user NAME\" first.");
    case SyncErrc::NoPassword:
        return tr2(french,
                   "Aucun mot de passe : aucun trousseau (Secret Service) ne répond et aucun "
                   "fichier n'a été donné (--password-file).",
                   "No password: no keyring (Secret Service) answers and no file was given "
                   "(--password-file).") +
               (d.isEmpty() ? QString() : QStringLiteral(" (") + d + QLatin1Char(')'));
    case SyncErrc::Keychain:
        return tr2(french, "Le trousseau (Secret Service) a refusé : ",
                   "The keyring (Secret Service) refused: ") +
               d;
    case SyncErrc::BadUrl:
        return tr2(french, "Adresse invalide (http ou https attendu) : ",
                   "Not a valid address (http or https expected): ") +
               d;
    case SyncErrc::Network:
        return tr2(french, "Le serveur ne répond pas : ", "The server does not answer: ") + d;
    case SyncErrc::Tls:
        return tr2(french,
                   "Le certificat du serveur n'a pas pu être vérifié (%1). Connexion refusée. "
                   "Empreinte SHA-256 : %2 ; pour faire confiance à ce certificat, refaites la "
                   "configuration avec --accept-certificate %2.",
                   "The server's certificate could not be verified (%1). Connection refused. "
                   "SHA-256 fingerprint: %2; to trust this certificate, set up again with "
                   "--accept-certificate %2.")
            .arg(d, error.fingerprint);
    case SyncErrc::Unauthorized:
        return tr2(french, "Le serveur refuse le nom d'utilisateur ou le mot de passe (401).",
                   "The server refuses the user name or password (401).");
    case SyncErrc::Forbidden:
        return tr2(french,
                   "Le serveur refuse l'accès (403) : ", "The server denies access (403): ") +
               d;
    case SyncErrc::NoAddressBook:
        return tr2(french, "Aucun carnet d'adresses trouvé à cette adresse : ",
                   "No address book found at this address: ") +
               d;
    case SyncErrc::ServerError:
        return tr2(french, "Réponse inattendue du serveur (%1) : ",
                   "Unexpected answer from the server (%1): ")
                   .arg(error.status) +
               d;
    case SyncErrc::BadAnswer:
        return tr2(french, "Le serveur a envoyé une réponse illisible.",
                   "The server sent an answer that cannot be read.");
    case SyncErrc::DataFile:
        return tr2(french, "Fichier de données : ", "Data file: ") + d;
    case SyncErrc::StateFile:
        return tr2(french, "L'état de synchronisation n'a pas pu être écrit : ",
                   "The sync state could not be written: ") +
               d;
    case SyncErrc::Cancelled:
        return tr2(french, "Synchronisation annulée.", "Synchronisation cancelled.");
    case SyncErrc::TimedOut:
        return tr2(french,
                   "Le serveur n'a rien envoyé pendant %1 s : abandon (le délai se règle avec "
                   "VCQ_SYNC_TIMEOUT ou --timeout).",
                   "The server sent nothing for %1 s: given up (the time-out is set with "
                   "VCQ_SYNC_TIMEOUT or --timeout).")
            .arg(d);
    case SyncErrc::TooLarge:
        return tr2(french,
                   "La réponse du serveur dépasse la limite de %1 Mo : refusée, rien n'a été "
                   "modifié.",
                   "The server's answer is over the limit of %1 MB: refused, nothing was "
                   "changed.")
            .arg(d.toLongLong() >> 20);
    case SyncErrc::OtherOrigin:
        return tr2(french,
                   "Le serveur renvoie vers une autre adresse (%1) : le mot de passe n'y est "
                   "pas envoyé. Si vous lui faites confiance, configurez cette adresse.",
                   "The server sends to another address (%1): the password is not sent there. "
                   "If you trust it, set up with that address.")
            .arg(d);
    case SyncErrc::Downgrade:
        return tr2(french,
                   "Le serveur renvoie de https vers http (%1) : refusé, le mot de passe "
                   "circulerait en clair.",
                   "The server redirects from https to plain http (%1): refused, the password "
                   "would travel in clear.")
            .arg(d);
    case SyncErrc::Insecure:
        return tr2(french,
                   "%1 est en http simple vers une autre machine : le mot de passe circulerait "
                   "en clair. Utilisez https, ou configurez avec --allow-insecure-http.",
                   "%1 is plain http to another machine: the password would travel in clear. "
                   "Use https, or set up with --allow-insecure-http.")
            .arg(d);
    }
    return {};
}

QString reportText(const SyncReport &r, bool french)
{
    QStringList lines;
    if (!r.stateProblem.isEmpty())
        lines << tr2(french, "L'état de synchronisation était endommagé et a été reconstruit : ",
                     "The sync state was damaged and has been rebuilt: ") +
                     r.stateProblem;
    if (r.tokenRefused)
        lines << tr2(french,
                     "Le serveur a refusé le jeton de synchronisation ; comparaison par ETag.",
                     "The server refused the sync token; compared by ETag instead.");
    lines << tr2(french, "Ici : %1 ajouté(s), %2 modifié(s), %3 supprimé(s).",
                 "Here: %1 added, %2 changed, %3 deleted.")
                 .arg(r.addedHere)
                 .arg(r.changedHere)
                 .arg(r.deletedHere);
    lines << tr2(french, "Serveur : %1 envoyé(s), %2 modifié(s), %3 supprimé(s).",
                 "Server: %1 uploaded, %2 changed, %3 deleted.")
                 .arg(r.uploadedNew)
                 .arg(r.uploadedChanged)
                 .arg(r.deletedOnServer);
    if (r.unreadableCards)
        lines << tr2(french, "%1 fiche(s) du serveur illisible(s), laissée(s) telle(s) quelle(s).",
                     "%1 card(s) on the server could not be read and were left as they are.")
                     .arg(r.unreadableCards);
    for (const QString &href : r.outside)
        lines << tr2(french, "Hors du carnet d'adresses, non lue : %1",
                     "Outside the address book, not read: %1")
                     .arg(href.left(300));
    for (const QString &href : r.tooLarge)
        lines << tr2(french, "Fiche de plus de %1 Mo, laissée sur le serveur : %2",
                     "Card over %1 MB, left on the server: %2")
                     .arg(kMaxCardBytes >> 20)
                     .arg(href.left(300));
    for (const Conflict &c : r.conflicts) {
        lines << tr2(french, "Conflit : %1 : %2", "Conflict: %1: %2")
                     .arg(QString::fromStdString(c.name), conflictText(c.kind, french));
        for (const FieldDifference &d : c.differences) {
            lines << QStringLiteral("    %1: %2 « %3 », %4 « %5 »")
                         .arg(fieldName(d.field, french), tr2(french, "ici", "here"),
                              QString::fromStdString(interop::cp1252ToUtf8(d.local)),
                              tr2(french, "serveur", "server"),
                              QString::fromStdString(interop::cp1252ToUtf8(d.server)));
        }
    }
    if (!r.conflictsFile.isEmpty())
        lines << tr2(french, "Versions locales gardées dans : ", "Local versions kept in: ") +
                     r.conflictsFile;
    for (const Refusal &f : r.refused) {
        lines << tr2(french, "Refusé par le serveur (%1) : %2 : %3",
                     "Refused by the server (%1): %2: %3")
                     .arg(f.status)
                     .arg(QString::fromStdString(f.name), f.answer.simplified().left(300));
    }
    if (!r.backupPath.isEmpty())
        lines << tr2(french, "Copie de sauvegarde : ", "Backup copy: ") + r.backupPath;
    if (r.error)
        lines << errorText(r.error, french);
    lines << tr2(french, "Requêtes : %1", "Requests: %1").arg(r.requests);
    return lines.join(QLatin1Char('\n'));
}

} // namespace vcq::sync
