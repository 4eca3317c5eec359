#include "main_texts.h"

namespace vcq
{

namespace
{

MainTexts french()
{
    MainTexts t;
    t.lblName = QStringLiteral("Nom");
    t.lblFirst = QStringLiteral("Prénom");
    t.lblAddress = QStringLiteral("Adresse");
    t.lblCity = QStringLiteral("Ville");
    t.lblZip = QStringLiteral("Code Postal");
    t.lblState = QStringLiteral("Province");
    t.lblCountry = QStringLiteral("Pays");
    t.lblPhone1 = QStringLiteral("Tél. Maison");
    t.lblPhone2 = QStringLiteral("Tél. Bureau");
    t.lblCell = QStringLiteral("Tél. Autre");
    t.lblFax = QStringLiteral("Tél. Fax/Data");
    t.lblOrganisation = QStringLiteral("Compagnie");
    t.lblEmail = QStringLiteral("E-Mail");
    t.lblComment = QStringLiteral("Remarques");
    t.lblBirth = QStringLiteral("Date de fête");
    t.lblFilter = QStringLiteral("Statut");
    t.NewBut = QStringLiteral("&Nouveau");
    t.SaveBut = QStringLiteral("&Enregistrer");
    t.TrashBut = QStringLiteral("&Supprimer");
    t.PrintBut = QStringLiteral("Im&primer");
    t.ConfigBut = QStringLiteral("&Options");
    t.ExitBut = QStringLiteral("&Quitter");
    t.quickDialHint = QStringLiteral("Numéroteur rapide");
    t.MsgLastNameRequired = QStringLiteral("Le nom est requis !");
    t.MsgWrongFileFormat = QStringLiteral("Format de fichier invalide !");
    t.MsgDeletePrefix = QStringLiteral("Supprimer ");
    t.MsgReservedLastName = QStringLiteral("Ce nom est réservé !");
    t.MsgNoDataFile = QStringLiteral("Aucun fichier de données n'est ouvert");
    t.MsgLinkLoop =
        QStringLiteral("Le nom du fichier de données mène à une boucle de liens symboliques.");
    t.MsgDanglingLink = QStringLiteral(
        "Le nom du fichier de données est un lien symbolique vers un fichier qui n'existe pas.");
    t.MsgNotRegularFile =
        QStringLiteral("Le fichier de données n'est pas un fichier ordinaire "
                       "(tube, périphérique ou dossier) ; il n'a pas été touché.");
    t.MsgTooManyRecords = QStringLiteral("Le fichier de données contient plus de fiches que ce "
                                         "programme ne peut en traiter ; il n'a pas été touché.");
    t.MsgFileShrunk =
        QStringLiteral("Un autre programme a raccourci le fichier de données ; rien n'a été écrit. "
                       "Redémarrez le programme pour relire le fichier.");
    t.MsgFilterNotAFile = QStringLiteral(
        "« Filter.txt » n'est pas un fichier ordinaire (tube, périphérique ou dossier) ; il n'a "
        "pas été lu et la liste des statuts est vide.");
    t.MsgFilterTooLarge = QStringLiteral(
        "« Filter.txt » dépasse 1 Mio ; il n'a pas été lu et la liste des statuts est vide.");
    t.MsgUnstorableField = QStringLiteral(
        "Le champ « %1 » contient des caractères que le fichier ne peut pas garder ; "
        "rien n'a été enregistré.");
    return t;
}

MainTexts english()
{
    MainTexts t;
    t.lblName = QStringLiteral("Last Name");
    t.lblFirst = QStringLiteral("First Name");
    t.lblAddress = QStringLiteral("Address");
    t.lblCity = QStringLiteral("City");
    t.lblZip = QStringLiteral("Zip/Postal");
    t.lblState = QStringLiteral("State/Province");
    t.lblCountry = QStringLiteral("Country");
    t.lblPhone1 = QStringLiteral("Home Phone");
    t.lblPhone2 = QStringLiteral("Work Phone");
    t.lblCell = QStringLiteral("Other Phone");
    t.lblFax = QStringLiteral("Fax/Data Phone");
    t.lblOrganisation = QStringLiteral("Organization");
    t.lblEmail = QStringLiteral("E-Mail");
    t.lblComment = QStringLiteral("Comments");
    t.lblBirth = QStringLiteral("Birthdate");
    t.lblFilter = QStringLiteral("Status");
    t.NewBut = QStringLiteral("&New");
    t.SaveBut = QStringLiteral("&Save");
    t.TrashBut = QStringLiteral("&Delete");
    t.PrintBut = QStringLiteral("&Print");
    t.ConfigBut = QStringLiteral("&Options");
    t.ExitBut = QStringLiteral("&Quit");
    t.quickDialHint = QStringLiteral("Quick Dial");
    t.MsgLastNameRequired = QStringLiteral("The last name is required !");
    t.MsgWrongFileFormat = QStringLiteral("Wrong file format !");
    t.MsgDeletePrefix = QStringLiteral("Delete ");
    t.MsgReservedLastName = QStringLiteral("This last name is reserved !");
    t.MsgNoDataFile = QStringLiteral("No data file is open");
    t.MsgLinkLoop = QStringLiteral("The data file's name leads round a loop of symbolic links.");
    t.MsgDanglingLink =
        QStringLiteral("The data file's name is a symbolic link to a file that does not exist.");
    t.MsgNotRegularFile = QStringLiteral("The data file is not an ordinary file (a pipe, a "
                                         "device or a folder); it has been left alone.");
    t.MsgTooManyRecords = QStringLiteral("The data file holds more records than this program "
                                         "can address; it has been left alone.");
    t.MsgFileShrunk =
        QStringLiteral("Another program has cut the data file short; nothing was written. "
                       "Restart the program to read the file again.");
    t.MsgFilterNotAFile = QStringLiteral(
        "\"Filter.txt\" is not an ordinary file (a pipe, a device or a folder); it has been left "
        "unread and the status list is empty.");
    t.MsgFilterTooLarge = QStringLiteral(
        "\"Filter.txt\" is larger than 1 MiB; it has been left unread and the status list is "
        "empty.");
    t.MsgUnstorableField = QStringLiteral(
        "The field \"%1\" holds characters the data file cannot keep; nothing was saved.");
    return t;
}

} // namespace

const MainTexts &mainTexts(int language)
{
    static const MainTexts fr = french();
    static const MainTexts en = english();
    return isFrench(language) ? fr : en;
}

} // namespace vcq
