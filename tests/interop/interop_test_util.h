// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the interop tests: records and running the independent
// programs the tests compare against. Files come from common/data_file.h.
#pragma once

#include "common/data_file.h"
#include "interop/transliterate.h"
#include "store/contact_record.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <string>
#include <utility>

namespace vcq::test
{

inline QByteArray qb(const std::string &s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// A contact with the given fields (cp1252 bytes); the rest empty, the birth
// date blank unless given.
inline ContactRecord contact(std::initializer_list<std::pair<Field, std::string>> fields)
{
    ContactRecord r;
    r.set(Field::Birth, "  -  -  ");
    for (const auto &[f, v] : fields)
        r.set(f, v);
    return r;
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (bounded), with an optional standard input.
inline ProcessResult run(const QString &program, const QStringList &args,
                         const QByteArray &input = {}, const QString &workDir = {})
{
    QProcess p;
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    ProcessResult r;
    if (!p.waitForStarted(10000))
        return r;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// A record's non-empty fields as "name=value | ...", for comparing with a
// table row (a blank birth date is left out).
inline QString fieldsText(const ContactRecord &r)
{
    static const char *names[] = {"first", "last",    "org",   "addr",  "city",  "zip",
                                  "state", "country", "home",  "work",  "other", "fax",
                                  "email", "comment", "birth", "status"};
    QStringList parts;
    for (int i = 0; i < kContactFieldCount; ++i) {
        const std::string v = r.get(static_cast<Field>(i));
        if (static_cast<Field>(i) == Field::Birth && v == "  -  -  ")
            continue;
        if (!v.empty())
            parts << QStringLiteral("%1=%2").arg(names[i],
                                                 QString::fromStdString(interop::cp1252ToUtf8(v)));
    }
    return parts.join(" | ");
}

} // namespace vcq::test
