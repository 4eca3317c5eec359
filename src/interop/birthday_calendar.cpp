// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthday_calendar.h"

#include "birth_date.h"
#include "birthday_texts.h"
#include "text_util.h"
#include "vcard_writer.h"

#include <cstdio>

namespace vcq::interop
{

namespace
{

std::string dateValue(int year, int month, int day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

void line(std::string &out, const std::string &text)
{
    detail::appendFoldedLine(out, text);
}

} // namespace

std::string birthdayEventUid(const std::string &contactUid)
{
    std::string uid = contactUid;
    if (detail::startsWithNoCase(uid, "urn:uuid:"))
        uid.erase(0, 9);
    return uid + "-birthday";
}

BirthdayCalendar birthdayCalendar(const ContactList &contacts, const ContactUids &uids, bool french,
                                  int currentYear, const QDateTime &stamp)
{
    BirthdayCalendar out;
    std::string &b = out.bytes;
    b += "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    b += french ? "PRODID:-//Vellora Carnetique 97//Anniversaires//FR\r\n"
                : "PRODID:-//Vellora Carnetique 97//Birthdays//EN\r\n";
    b += "CALSCALE:GREGORIAN\r\n";
    line(b, std::string("X-WR-CALNAME:") + (french ? "Anniversaires" : "Birthdays"));
    const std::string dtstamp =
        "DTSTAMP:" + stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toStdString();
    for (const ContactNode &node : contacts) {
        const StoredBirthDate birth = parseStoredBirthDate(node.field(Field::Birth), currentYear);
        if (birth.kind == StoredBirthDate::Invalid)
            ++out.invalid;
        if (birth.kind != StoredBirthDate::Full && birth.kind != StoredBirthDate::NoYear)
            continue;
        const bool yearless = birth.kind == StoredBirthDate::NoYear;
        const QString name =
            birthdayName(node.field(Field::FirstName), node.field(Field::LastName));
        b += "BEGIN:VEVENT\r\n";
        line(b, "UID:" + birthdayEventUid(uids.uidFor(std::int32_t(node.RecordNumber))));
        line(b, dtstamp);
        b += "DTSTART;VALUE=DATE:" +
             dateValue(yearless ? kYearlessBirthYear : birth.year, birth.month, birth.day) + "\r\n";
        // The last day of February: 29 February in leap years, 28 otherwise.
        b += birth.month == 2 && birth.day == 29 ? "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\r\n"
                                                 : "RRULE:FREQ=YEARLY\r\n";
        line(b, "SUMMARY:" + escapeText(birthdaySummary(name, french).toStdString()));
        if (yearless) {
            const QString description =
                (french ? QStringLiteral("Année de naissance inconnue : %1 en tient lieu.")
                        : QStringLiteral("Year of birth not known: %1 stands in for it."))
                    .arg(kYearlessBirthYear);
            line(b, "DESCRIPTION:" + escapeText(description.toStdString()));
        }
        b += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
        ++out.events;
    }
    b += "END:VCALENDAR\r\n";
    return out;
}

} // namespace vcq::interop
