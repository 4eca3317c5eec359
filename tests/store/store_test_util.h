// Helpers for tests that build and inspect data files byte by byte.
#pragma once

#include "store/contact_record.h"

#include <QByteArray>
#include <QFile>
#include <string>

namespace vcq::test
{

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QByteArray bytesOf(const ContactRecord &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.data()), int(kRecordSize));
}

inline ContactRecord person(const std::string &last, const std::string &first = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Birth, "  -  -  ");
    return r;
}

} // namespace vcq::test
