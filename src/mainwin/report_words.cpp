// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_words.h"

#include "interop/field_names.h"
#include "interop/transliterate.h"

#include <QStringList>

#include <system_error>

namespace vcq
{

namespace
{

using interop::ReportEvent;

struct Words {
    Language language;
    QString operator()(const char *french, const char *english) const
    {
        return TextPair{french, english}.in(language);
    }
};

QString quoted(const QString &text, Language language)
{
    return language == Language::French ? QStringLiteral("« %1 »").arg(text)
                                        : QStringLiteral("\u201C%1\u201D").arg(text);
}

QString fieldWords(Field f, const Words &w)
{
    switch (f) {
    case Field::LastName:
        return w("nom", "last name");
    case Field::FirstName:
        return w("prénom", "first name");
    case Field::Organisation:
        return w("organisation", "organisation");
    case Field::Address1:
        return w("adresse", "address");
    case Field::City:
        return w("ville", "city");
    case Field::Zip:
        return w("code postal", "postal code");
    case Field::State:
        return w("province ou état", "province or state");
    case Field::Country:
        return w("pays", "country");
    case Field::Phone1:
        return w("téléphone du domicile", "home phone");
    case Field::Phone2:
        return w("téléphone du travail", "work phone");
    case Field::Cell:
        return w("autre téléphone", "other phone");
    case Field::Phone3:
        return w("télécopieur", "fax");
    case Field::Email:
        return w("courriel", "e-mail");
    case Field::Comment:
        return w("remarques", "remarks");
    case Field::Birth:
        return w("date de naissance", "birth date");
    case Field::Status:
        return w("statut", "status");
    default:
        return {};
    }
}

QString propertyWords(QString property, const Words &w)
{
    property = property.section(u'.', -1).toUpper(); // "item1.URL" is a URL
    const struct {
        const char *name, *french, *english;
    } known[] = {
        {"PHOTO", "photo", "photo"},
        {"LOGO", "logo", "logo"},
        {"URL", "adresse web", "web address"},
        {"TITLE", "titre", "title"},
        {"ROLE", "rôle", "role"},
        {"ADR", "autre adresse", "other address"},
        {"NICKNAME", "surnom", "nickname"},
        {"TEL", "téléphone", "phone"},
        {"EMAIL", "courriel", "e-mail"},
        {"NOTE", "remarque", "remark"},
        {"BDAY", "date de naissance", "birth date"},
        {"N", "autres parties du nom", "other parts of the name"},
        {"ORG", "service de l'organisation", "organisation unit"},
        {"CATEGORIES", "autres catégories", "other categories"},
        {"IMPP", "messagerie", "instant messaging"},
        {"GEO", "position", "position"},
        {"ANNIVERSARY", "anniversaire", "anniversary"},
    };
    for (const auto &k : known) {
        if (property == QLatin1String(k.name))
            return w(k.french, k.english);
    }
    return w("propriété ", "property ") + property;
}

// "<kind>[ <PROPERTY>][ <Field>]: <text>", as the interop library writes a loss.
QString lossWords(const QString &detail, const Words &w)
{
    const qsizetype colon = detail.indexOf(QStringLiteral(": "));
    const QString head = colon < 0 ? detail : detail.left(colon);
    const QString text = colon < 0 ? QString() : detail.mid(colon + 2);
    QStringList tokens = head.split(u' ', Qt::SkipEmptyParts);
    if (tokens.isEmpty())
        return detail;
    const QString kind = tokens.takeFirst();
    QString property;
    std::optional<Field> field;
    for (const QString &token : tokens) {
        bool isField = false;
        for (int i = 0; i < kContactFieldCount; ++i) {
            if (token == QLatin1String(interop::fieldName(Field(i)).data())) {
                field = Field(i);
                isField = true;
            }
        }
        if (!isField)
            property = token;
    }
    const QString where = field                ? fieldWords(*field, w)
                          : property.isEmpty() ? QString()
                                               : propertyWords(property, w);
    const QString shown = quoted(text, w.language);
    if (kind == u"transliterated") {
        const QString written = QString::fromStdString(
            interop::cp1252ToUtf8(interop::utf8ToCp1252(text.toStdString()).bytes));
        return w("%1 écrit %2 (%3)", "%1 written as %2 (%3)").arg(text, written, where);
    }
    if (kind == u"cut")
        return w("%1 : texte trop long, %2 laissé de côté", "%1 too long: %2 left out")
            .arg(where, shown);
    if (kind == u"extra-phone")
        return w("téléphone %1 non repris (aucun champ de téléphone libre)",
                 "phone %1 not kept (no free phone field)")
            .arg(text);
    if (kind == u"extra-email")
        return w("courriel %1 non repris (un seul courriel est gardé)",
                 "e-mail %1 not kept (only one e-mail is kept)")
            .arg(text);
    if (kind == u"phone-moved")
        return w("téléphone %1 gardé comme %2", "phone %1 kept as the %2").arg(text, where);
    if (kind == u"bad-birth-date")
        return w("date de naissance %1 incomplète ou invalide : non reprise",
                 "birth date %1 is not a whole valid date: not kept")
            .arg(shown);
    if (kind == u"no-field") {
        // A picture or other binary value is only counted, not shown.
        const bool binary = text.endsWith(QStringLiteral(" bytes"));
        QString what = property.isEmpty() ? where : propertyWords(property, w);
        if (!binary && !text.isEmpty())
            what += u' ' + shown;
        return w("%1 : donnée non reprise (aucun champ pour elle)", "%1 not kept (no place for it)")
            .arg(what);
    }
    return detail;
}

// "<code>[ line N][: text]", as the readers write a problem.
QString problemWords(const QString &detail, const Words &w)
{
    const qsizetype colon = detail.indexOf(QStringLiteral(": "));
    const QString head = colon < 0 ? detail : detail.left(colon);
    const QString text = colon < 0 ? QString() : detail.mid(colon + 2);
    const QString code = head.section(u' ', 0, 0);
    const struct {
        const char *code, *french, *english;
    } known[] = {
        {"no-end", "la fiche n'a pas de ligne END", "the card has no END line"},
        {"text-outside-card", "du texte hors de toute fiche", "text outside any card"},
        {"malformed-line", "une ligne illisible", "a line that cannot be read"},
        {"bad-quoted-printable", "un texte mal codé (quoted-printable)",
         "badly encoded text (quoted-printable)"},
        {"bad-charset", "un jeu de caractères inconnu", "an unknown character set"},
        {"invalid-utf8", "un texte qui n'est pas de l'UTF-8 valide",
         "text that is not valid UTF-8"},
        {"property-too-large", "une ligne trop longue (plus de 16 Mo)",
         "a line too long to read (over 16 MB)"},
        {"unknown-version", "une version de vCard inconnue", "an unknown vCard version"},
        {"no-name", "aucun nom", "no name"},
        {"unknown-csv-header", "des colonnes CSV non reconnues", "CSV columns not recognised"},
        {"unclosed-quote", "un guillemet jamais fermé", "a quote that is never closed"},
        {"wrong-column-count", "un nombre de colonnes incorrect", "a wrong number of columns"},
        {"bad-date", "une date invalide", "an invalid date"},
        {"reserved-last-name", "ce nom est réservé", "this last name is reserved"},
        {"joined-lines", "des lignes suites sans retrait, jointes",
         "continued lines without indentation, joined"},
    };
    for (const auto &k : known) {
        if (code != QLatin1String(k.code))
            continue;
        QString out = w(k.french, k.english);
        if (const QString line = head.section(u' ', 2, 2); head.section(u' ', 1, 1) == u"line")
            out += w(", ligne %1", ", line %1").arg(line);
        if (!text.isEmpty())
            out += w(" : ", ": ") + text;
        return out;
    }
    return detail;
}

// "record=N" (already stored) or "file#card" (an earlier card of this import).
QString duplicateWords(const QString &detail, const Words &w)
{
    if (detail.startsWith(QStringLiteral("record=")))
        return w("déjà enregistré (fiche %1 du fichier de données)",
                 "already stored (record %1 of the data file)")
            .arg(detail.mid(7));
    const qsizetype hash = detail.lastIndexOf(u'#');
    if (hash > 0)
        return w("même personne que la fiche %1 de %2", "same person as card %1 of %2")
            .arg(detail.mid(hash + 1), detail.left(hash));
    return detail;
}

QString failureWords(const QString &detail, const Words &w)
{
    bool number = false;
    const int code = detail.startsWith(QStringLiteral("io=")) ? detail.mid(3).toInt(&number) : 0;
    if (!number)
        return detail;
    return w("écriture impossible : %1", "could not be written: %1")
        .arg(QString::fromStdString(std::generic_category().message(code)));
}

} // namespace

QString plainDetail(const interop::ReportRow &row, Language language)
{
    const Words w{language};
    const QString detail = QString::fromStdString(row.detail);
    if (detail.isEmpty())
        return detail;
    switch (row.event) {
    case ReportEvent::Transliterated:
    case ReportEvent::Cut:
    case ReportEvent::DroppedData:
        return lossWords(detail, w);
    case ReportEvent::BrokenCard:
        return problemWords(detail, w);
    case ReportEvent::Repaired:
        // A read problem mended, or a phone kept in another type's field.
        return detail.startsWith(QStringLiteral("phone-moved")) ? lossWords(detail, w)
                                                                : problemWords(detail, w);
    case ReportEvent::DuplicateSkipped:
        return duplicateWords(detail, w);
    case ReportEvent::Failed:
        return failureWords(detail, w);
    case ReportEvent::Added:
        break;
    }
    // A code this window does not know yet is shown as it is.
    return detail;
}

} // namespace vcq
