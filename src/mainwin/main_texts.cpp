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
