// SPDX-License-Identifier: GPL-3.0-or-later
// A registry for tests: passes every call to a real file registry, records
// it as one line of text, and can be told to fail chosen calls.
#pragma once

#include "settings/file_registry.h"

#include <QString>
#include <QStringList>

class RecordingRegistry : public vcq::RegistryApi
{
public:
    explicit RecordingRegistry(const QString &file) : m_file(file) {}

    QStringList calls;
    int failCreateNumber = 0; // 1-based number of the createKey call to fail; 0 none

    long createKey(vcq::RootKey root, std::string_view subKey, vcq::RegKeyHandle *result,
                   bool *created = nullptr) override
    {
        calls << QStringLiteral("create %1\\%2")
                     .arg(QString::fromLatin1(vcq::rootKeyName(root)),
                          QString::fromLatin1(subKey.data(), qsizetype(subKey.size())));
        if (++m_creates == failCreateNumber) {
            *result = 0;
            return vcq::ERROR_ACCESS_DENIED;
        }
        return m_file.createKey(root, subKey, result, created);
    }
    long queryValue(vcq::RegKeyHandle key, std::string_view name, std::uint32_t *type,
                    unsigned char *data, std::uint32_t *size) override
    {
        calls << QStringLiteral("query %1")
                     .arg(QString::fromLatin1(name.data(), qsizetype(name.size())));
        return m_file.queryValue(key, name, type, data, size);
    }
    long setValue(vcq::RegKeyHandle key, std::string_view name, std::uint32_t type,
                  const unsigned char *data, std::uint32_t size) override
    {
        calls << QStringLiteral("set %1").arg(
            QString::fromLatin1(name.data(), qsizetype(name.size())));
        return m_file.setValue(key, name, type, data, size);
    }
    long closeKey(vcq::RegKeyHandle key) override
    {
        calls << QStringLiteral("close");
        return m_file.closeKey(key);
    }

private:
    vcq::FileRegistry m_file;
    int m_creates = 0;
};
