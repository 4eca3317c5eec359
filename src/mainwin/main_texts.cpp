#include "main_texts.h"

namespace vcq
{

namespace
{

MainTexts textsIn(Language language)
{
    const auto pair = [language](TextPair p) { return p.in(language); };
    MainTexts t;
    t.lblName = pair({"Nom", "Last Name"});
    t.lblFirst = pair({"Prénom", "First Name"});
    t.lblAddress = pair({"Adresse", "Address"});
    t.lblCity = pair({"Ville", "City"});
    t.lblZip = pair({"Code Postal", "Zip/Postal"});
    t.lblState = pair({"Province", "State/Province"});
    t.lblCountry = pair({"Pays", "Country"});
    t.lblPhone1 = pair({"Tél. Maison", "Home Phone"});
    t.lblPhone2 = pair({"Tél. Bureau", "Work Phone"});
    t.lblCell = pair({"Tél. Autre", "Other Phone"});
    t.lblFax = pair({"Tél. Fax/Data", "Fax/Data Phone"});
    t.lblOrganisation = pair({"Compagnie", "Organization"});
    t.lblEmail = pair({"E-Mail", "E-Mail"});
    t.lblComment = pair({"Remarques", "Comments"});
    t.lblBirth = pair({"Date de fête", "Birthdate"});
    t.lblFilter = pair({"Statut", "Status"});
    t.NewBut = pair({"&Nouveau", "&New"});
    t.SaveBut = pair({"&Enregistrer", "&Save"});
    t.TrashBut = pair({"&Supprimer", "&Delete"});
    t.PrintBut = pair({"Im&primer", "&Print"});
    t.ConfigBut = pair({"&Options", "&Options"});
    t.ExitBut = pair({"&Quitter", "&Quit"});
    t.quickDialHint = pair({"Numéroteur rapide", "Quick Dial"});
    t.MsgLastNameRequired = pair({"Le nom est requis !", "The last name is required !"});
    t.MsgWrongFileFormat = pair({"Format de fichier invalide !", "Wrong file format !"});
    t.MsgDeletePrefix = pair({"Supprimer ", "Delete "});
    t.MsgReservedLastName = pair({"Ce nom est réservé !", "This last name is reserved !"});
    t.MsgNoDataFile = pair({"Aucun fichier de données n'est ouvert", "No data file is open"});
    t.MsgLinkLoop = pair({"Le nom du fichier de données mène à une boucle de liens symboliques.",
                          "The data file's name leads round a loop of symbolic links."});
    t.MsgDanglingLink = pair(
        {"Le nom du fichier de données est un lien symbolique vers un fichier qui n'existe pas.",
         "The data file's name is a symbolic link to a file that does not exist."});
    t.MsgNotRegularFile = pair({"Le fichier de données n'est pas un fichier ordinaire (tube, "
                                "périphérique ou dossier) ; il n'a pas été touché.",
                                "The data file is not an ordinary file (a pipe, a device or a "
                                "folder); it has been left alone."});
    t.MsgTooManyRecords = pair({"Le fichier de données contient plus de fiches que ce programme ne "
                                "peut en traiter ; il n'a pas été touché.",
                                "The data file holds more records than this program can address; "
                                "it has been left alone."});
    t.MsgFileShrunk = pair({"Un autre programme a raccourci le fichier de données ; rien n'a été "
                            "écrit. Redémarrez le programme pour relire le fichier.",
                            "Another program has cut the data file short; nothing was written. "
                            "Restart the program to read the file again."});
    t.MsgFilterNotAFile = pair({"« Filter.txt » n'est pas un fichier ordinaire (tube, périphérique "
                                "ou dossier) ; il n'a pas été lu et la liste des statuts est vide.",
                                "\"Filter.txt\" is not an ordinary file (a pipe, a device or a "
                                "folder); it has been left unread and the status list is empty."});
    t.MsgFilterTooLarge =
        pair({"« Filter.txt » dépasse 1 Mio ; il n'a pas été lu et la liste des statuts est vide.",
              "\"Filter.txt\" is larger than 1 MiB; it has been left unread and the status list is "
              "empty."});
    t.MsgUnstorableField =
        pair({"Le champ « %1 » contient des caractères que le fichier ne peut pas garder ; rien "
              "n'a été enregistré.",
              "The field \"%1\" holds characters the data file cannot keep; nothing was saved."});
    return t;
}

} // namespace

const MainTexts &mainTexts(Language language)
{
    static const MainTexts fr = textsIn(Language::French);
    static const MainTexts en = textsIn(Language::English);
    return language == Language::French ? fr : en;
}

} // namespace vcq
