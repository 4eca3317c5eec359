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
