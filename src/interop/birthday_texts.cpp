// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthday_texts.h"

#include "core/cp1252.h"

#include <QLocale>

namespace vcq::interop
{

QString birthdayDateText(QDate date, bool french)
{
    // The locale's own names, in the order the two languages say a day.
    const QLocale locale = french ? QLocale(QLocale::French, QLocale::France)
                                  : QLocale(QLocale::English, QLocale::UnitedKingdom);
    return locale.toString(date, QStringLiteral("dddd d MMMM"));
}

QString birthdayWhenText(int daysAway, bool french)
{
    if (daysAway == 0)
        return french ? QStringLiteral("aujourd'hui") : QStringLiteral("today");
    if (daysAway == 1)
        return french ? QStringLiteral("demain") : QStringLiteral("tomorrow");
    return (french ? QStringLiteral("dans %1 jours") : QStringLiteral("in %1 days")).arg(daysAway);
}

QString birthdayAgeText(int age, bool french)
{
    if (age <= 0)
        return {};
    return (french ? QStringLiteral("%1 ans") : QStringLiteral("turns %1")).arg(age);
}

QString birthdayName(const std::string &firstName, const std::string &lastName)
{
    const QString first = fromCp1252(trimBlanksAndControls(firstName));
    const QString last = fromCp1252(trimBlanksAndControls(lastName));
    if (first.isEmpty() || last.isEmpty())
        return first + last;
    return first + ' ' + last;
}

QString birthdaySummary(const QString &name, bool french)
{
    return (french ? QStringLiteral("Anniversaire : ") : QStringLiteral("Birthday: ")) + name;
}

} // namespace vcq::interop
