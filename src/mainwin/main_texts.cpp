#include "main_texts.h"

#include "store/store_error_texts.h"

namespace vcq
{

namespace
{

QString storeText(StoreErrc kind, bool french)
{
    return QString::fromStdString(storeErrorText(kind, french));
}

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
    t.MsgDeletePrefix = QStringLiteral("Supprimer ");
    t.MsgFilterNotAFile = QStringLiteral(
        "« Filter.txt » n'est pas un fichier ordinaire (tube, périphérique ou dossier) ; il n'a "
        "pas été lu et la liste des statuts est vide.");
    t.MsgFilterTooLarge = QStringLiteral(
        "« Filter.txt » dépasse 1 Mio ; il n'a pas été lu et la liste des statuts est vide.");
    t.MsgUnstorableField = QStringLiteral(
        "Le champ « %1 » contient des caractères que le fichier ne peut pas garder ; "
        "rien n'a été enregistré.");
    t.MsgWrongFileFormat = storeText(StoreErrc::WrongFileFormat, true);
    t.MsgReservedLastName = storeText(StoreErrc::ReservedLastName, true);
    t.MsgNoDataFile = storeText(StoreErrc::NotOpen, true);
    t.MsgLinkLoop = storeText(StoreErrc::LinkLoop, true);
    t.MsgDanglingLink = storeText(StoreErrc::DanglingLink, true);
    t.MsgNotRegularFile = storeText(StoreErrc::NotRegularFile, true);
    t.MsgTooManyRecords = storeText(StoreErrc::TooManyRecords, true);
    t.MsgFileShrunk = storeText(StoreErrc::FileShrunk, true);
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
    t.MsgDeletePrefix = QStringLiteral("Delete ");
    t.MsgFilterNotAFile = QStringLiteral(
        "\"Filter.txt\" is not an ordinary file (a pipe, a device or a folder); it has been left "
        "unread and the status list is empty.");
    t.MsgFilterTooLarge = QStringLiteral(
        "\"Filter.txt\" is larger than 1 MiB; it has been left unread and the status list is "
        "empty.");
    t.MsgUnstorableField = QStringLiteral(
        "The field \"%1\" holds characters the data file cannot keep; nothing was saved.");
    t.MsgWrongFileFormat = storeText(StoreErrc::WrongFileFormat, false);
    t.MsgReservedLastName = storeText(StoreErrc::ReservedLastName, false);
    t.MsgNoDataFile = storeText(StoreErrc::NotOpen, false);
    t.MsgLinkLoop = storeText(StoreErrc::LinkLoop, false);
    t.MsgDanglingLink = storeText(StoreErrc::DanglingLink, false);
    t.MsgNotRegularFile = storeText(StoreErrc::NotRegularFile, false);
    t.MsgTooManyRecords = storeText(StoreErrc::TooManyRecords, false);
    t.MsgFileShrunk = storeText(StoreErrc::FileShrunk, false);
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
