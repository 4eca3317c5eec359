// SPDX-License-Identifier: GPL-3.0-or-later
#include "export_command.h"

#include "data_file_access.h"
#include "interop/birth_date.h"
#include "interop/birthday_calendar.h"
#include "interop/contact_uid.h"
#include "interop/exporter.h"
#include "report_output.h"
#include "store/contact_snapshot.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>

namespace vcq::cli
{

namespace
{

// Where the export goes as it is made: standard output, or a file that
// replaces the target only once all of it is written.
class Output
{
public:
    Output(const CommandContext &c, const QString &target) : m_c(c), m_target(target)
    {
        if (target != "-")
            m_file.emplace(target);
    }

    bool open()
    {
        if (!m_file || m_file->open(QIODevice::WriteOnly))
            return true;
        return fileError();
    }

    bool write(std::string_view bytes)
    {
        if (!m_file) {
            if (std::fwrite(bytes.data(), 1, bytes.size(), m_c.out) == bytes.size())
                return true;
            return outputError();
        }
        if (m_file->write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()))
            return true;
        return fileError();
    }

    bool finish()
    {
        if (!m_file)
            return std::fflush(m_c.out) == 0 || outputError();
        return m_file->commit() || fileError();
    }

private:
    bool outputError()
    {
        m_c.error(m_c.text("Standard output: %1", "Sortie standard : %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    bool fileError()
    {
        m_c.error(terminalSafe(m_target) + ": " + m_file->errorString());
        return false;
    }

    const CommandContext &m_c;
    QString m_target;
    std::optional<QSaveFile> m_file;
};

// The birthdays as a calendar: small enough to be made whole.
int exportCalendar(const CommandContext &c, const ContactSnapshot &snapshot,
                   const interop::ContactUids &uids, Output &output)
{
    const interop::BirthdayCalendar feed = interop::birthdayCalendar(
        snapshot.list, uids, c.french, interop::currentYear(), QDateTime::currentDateTimeUtc());
    if (!output.write(feed.bytes) || !output.finish())
        return ExitFailure;
    if (feed.invalid == 0)
        return ExitSuccess;
    c.error(c.text("%1 birth date(s) are not dates and were left out; \"vellora-carnetique-97 "
                   "birthdays --invalid\" lists them.",
                   "%1 date(s) de naissance ne sont pas des dates et n'ont pas été écrites ; "
                   "« vellora-carnetique-97 birthdays --invalid » les liste.")
                .arg(feed.invalid));
    return ExitRemarks;
}

int runExport(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        c.text("Exports every contact of VCQ97.NAM in the current folder. Works while the "
               "program is open.\nics writes the birthdays as a calendar: one yearly all-day "
               "event per contact whose birth date is a date.\nExit status: 0 done, 1 done with "
               "remarks (a birth date that could not be written), 2 failed.",
               "Exporte tous les contacts de VCQ97.NAM du dossier courant. Fonctionne pendant "
               "que le programme est ouvert.\nics écrit les anniversaires en agenda : un "
               "événement annuel d'une journée par contact dont la date de naissance est une "
               "date.\nCode de sortie : 0 fait, 1 fait avec remarques (une date de naissance "
               "non écrite), 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption format("format",
                                    c.text("vcard3 (the default), vcard4, csv or ics.",
                                           "vcard3 (par défaut), vcard4, csv ou ics."),
                                    c.text("FORMAT", "FORMAT"), "vcard3");
    const QCommandLineOption passwordFile = passwordFileOption(c);
    parser.addOptions({help, format, passwordFile});
    parser.addPositionalArgument(
        c.text("FILE", "FICHIER"),
        c.text("Where to write; - for standard output.", "Où écrire ; - pour la sortie standard."));
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    const QStringList targets = parser.positionalArguments();
    if (targets.size() != 1) {
        c.error(c.text("Give one file to write, or - for standard output.",
                       "Donnez un fichier où écrire, ou - pour la sortie standard."));
        return ExitFailure;
    }
    const QString target = targets.first();
    const bool calendar = parser.value(format) == "ics";
    const auto chosen = interop::exportFormatFromName(parser.value(format).toStdString());
    if (!chosen && !calendar) {
        c.error(c.text("Unknown format \"%1\": vcard3, vcard4, csv or ics.",
                       "Format inconnu « %1 » : vcard3, vcard4, csv ou ics.")
                    .arg(terminalSafe(parser.value(format))));
        return ExitFailure;
    }
    if (target != "-" &&
        QFileInfo(target).canonicalFilePath() ==
            QFileInfo(QString::fromStdString(c.dataFilePath)).canonicalFilePath() &&
        QFileInfo::exists(target)) {
        c.error(c.text("%1 is the data file itself.", "%1 est le fichier de données lui-même.")
                    .arg(terminalSafe(target)));
        return ExitFailure;
    }

    interop::ExportResult exported;
    Output output(c, target);
    try {
        // Output that may stall for long (a pipe) must not keep the program
        // from starting: the file's lock is held only while writing a file.
        const QFileInfo targetInfo(target);
        const bool toFile = target != "-" && (!targetInfo.exists() || targetInfo.isFile());
        const ContactSnapshot snapshot = readSnapshot(
            c.dataFilePath, toFile ? SnapshotAccess::ShareWhenFree : SnapshotAccess::Copy);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        std::error_code uidError;
        const auto uids = interop::ContactUids::open(c.dataFilePath, uidError);
        if (!uids) {
            c.error(terminalSafe(
                        QString::fromStdString(interop::ContactUids::idFilePath(c.dataFilePath))) +
                    ": " + QString::fromStdString(uidError.message()));
            return ExitFailure;
        }
        if (!output.open())
            return ExitFailure;
        if (calendar)
            return exportCalendar(c, snapshot, *uids, output);
        // Written as it is made: a large export is never held whole.
        if (!interop::exportSnapshot(
                snapshot, *uids, *chosen, target == "-" ? "-" : target.toStdString(),
                [&](std::string_view bytes) { return output.write(bytes); }, exported))
            return ExitFailure;
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    if (!output.finish())
        return ExitFailure;
    printRemarks(c, c.err, exported.report);
    return exported.report.hasRemarks() ? ExitRemarks : ExitSuccess;
}

} // namespace

Command exportCommand()
{
    return {"export",
            "Exports every contact to a vCard or CSV file, or the birthdays as a calendar",
            QString::fromUtf8("Exporte tous les contacts dans un fichier vCard ou CSV, ou les "
                              "anniversaires en agenda"),
            runExport};
}

} // namespace vcq::cli
