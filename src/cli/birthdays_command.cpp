// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthdays_command.h"

#include "core/cp1252.h"
#include "data_file_access.h"
#include "interop/birthday_texts.h"
#include "interop/birthdays.h"
#include "report_output.h"
#include "store/contact_snapshot.h"

#include <QCommandLineParser>

namespace vcq::cli
{

namespace
{

constexpr int kDefaultDays = 30;

void printUpcoming(const CommandContext &c, const ContactSnapshot &snapshot, int days)
{
    const QDate today = QDate::currentDate();
    const auto upcoming = interop::upcomingBirthdays(snapshot.list, today, days);
    if (upcoming.empty()) {
        c.print(c.text("No birthday in the next %1 days.",
                       "Aucun anniversaire dans les %1 prochains jours.")
                    .arg(days));
        return;
    }
    for (const interop::UpcomingBirthday &b : upcoming) {
        // "Tuesday 8 December (tomorrow): Zoé Dupont, turns 41"
        QString line = interop::birthdayDateText(b.date, c.french) + " (" +
                       interop::birthdayWhenText(b.daysAway, c.french) + ")" + c.text(": ", " : ") +
                       terminalSafe(interop::birthdayName(b.firstName, b.lastName));
        if (b.age > 0)
            line += ", " + interop::birthdayAgeText(b.age, c.french);
        c.print(line);
    }
}

void printInvalid(const CommandContext &c, const ContactSnapshot &snapshot)
{
    const auto invalid = interop::invalidBirthDates(snapshot.list, QDate::currentDate().year());
    if (invalid.empty()) {
        c.print(c.text("Every birth date is a date or blank.",
                       "Toutes les dates de naissance sont des dates ou vides."));
        return;
    }
    for (const interop::InvalidBirthDate &i : invalid)
        c.print(terminalSafe(interop::birthdayName(i.firstName, i.lastName)) + c.text(": ", " : ") +
                terminalSafe(fromCp1252(i.stored)));
}

int runBirthdays(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        c.text("Lists the birthdays of the contacts of VCQ97.NAM in the current folder from "
               "today on, soonest first,\nwith the age they turn when the year is known. A "
               "birthday on 29 February is kept on 28 February\nin other years.",
               "Liste les anniversaires des contacts de VCQ97.NAM du dossier courant à partir "
               "d'aujourd'hui,\ndu plus proche au plus lointain, avec l'âge atteint quand "
               "l'année est connue. Un anniversaire\nle 29 février tombe le 28 février les "
               "autres années."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption days(
        "days",
        c.text("Lists today and the N days after it (0 to 366, 30 by default).",
               "Liste aujourd'hui et les N jours suivants (0 à 366, 30 par défaut)."),
        "N", QString::number(kDefaultDays));
    const QCommandLineOption invalid(
        "invalid",
        c.text("Lists instead the contacts whose birth date is not a date (31-02, 99-99, "
               "a missing part), to mend them.",
               "Liste plutôt les contacts dont la date de naissance n'est pas une date (31-02, "
               "99-99, une partie manquante), pour les corriger."));
    const QCommandLineOption passwordFile = passwordFileOption(c);
    parser.addOptions({help, days, invalid, passwordFile});
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    if (!noArguments(parser, c))
        return ExitFailure;
    bool number = false;
    const int span = parser.value(days).toInt(&number);
    if (!number || span < 0 || span > interop::kMaxBirthdaySpan) {
        c.error(c.text("--days takes a number from 0 to %1, not \"%2\".",
                       "--days prend un nombre de 0 à %1, pas « %2 ».")
                    .arg(interop::kMaxBirthdaySpan)
                    .arg(terminalSafe(parser.value(days))));
        return ExitFailure;
    }
    try {
        const ContactSnapshot snapshot = readSnapshot(c.dataFilePath, SnapshotAccess::Copy);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        if (parser.isSet(invalid))
            printInvalid(c, snapshot);
        else
            printUpcoming(c, snapshot, span);
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

Command birthdaysCommand()
{
    return {"birthdays", "Lists the coming birthdays",
            QString::fromUtf8("Liste les prochains anniversaires"), runBirthdays};
}

} // namespace vcq::cli
