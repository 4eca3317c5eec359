// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_texts.h"

#include "store/store_error_texts.h"

namespace vcq
{

namespace
{

QString storeText(StoreErrc kind, Language language)
{
    return QString::fromStdString(storeErrorText(kind, language == Language::French));
}

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
    t.lstList = pair({"Contacts", "Contacts"});
    t.callPhone = pair({"Appeler %1", "Call %1"});
    t.MsgLastNameRequired = pair({"Le nom est requis !", "The last name is required !"});
    t.MsgDeletePrefix = pair({"Supprimer ", "Delete "});
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
    t.MsgWrongFileFormat = storeText(StoreErrc::WrongFileFormat, language);
    t.MsgReservedLastName = storeText(StoreErrc::ReservedLastName, language);
    t.MsgNoDataFile = storeText(StoreErrc::NotOpen, language);
    t.MsgLinkLoop = storeText(StoreErrc::LinkLoop, language);
    t.MsgDanglingLink = storeText(StoreErrc::DanglingLink, language);
    t.MsgNotRegularFile = storeText(StoreErrc::NotRegularFile, language);
    t.MsgTooManyRecords = storeText(StoreErrc::TooManyRecords, language);
    t.MsgFileShrunk = storeText(StoreErrc::FileShrunk, language);
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
