// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store's contents in memory: keys in tree order, each with its
// values in the order they were first set. Key and value names compare
// without regard to case, as the registry does, and keep the case they were
// created with.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

namespace vcq
{

struct RegValue {
    QString name; // empty for the key's default value
    std::uint32_t type = 0;
    std::string data;

    friend bool operator==(const RegValue &, const RegValue &) = default;
};

struct RegKey {
    QStringList path; // the root's name first, then the key names
    std::vector<RegValue> values;

    const RegValue *findValue(QStringView name) const;
    // Replaces the value of that name in place, or appends a new one.
    void setValue(RegValue value);

    friend bool operator==(const RegKey &, const RegKey &) = default;
};

class RegistryImage
{
public:
    const RegKey *findKey(const QStringList &path) const;
    RegKey *findKey(const QStringList &path);
    // Finds the key, or creates it and every missing parent below its root.
    RegKey &createKey(const QStringList &path, bool *created = nullptr);

    const std::vector<RegKey> &keys() const { return m_keys; }

    friend bool operator==(const RegistryImage &, const RegistryImage &) = default;

private:
    RegKey &insertKey(const QStringList &path, bool *created);
    std::vector<RegKey> m_keys; // sorted by keyPathLess
};

bool sameName(QStringView a, QStringView b);
// Tree order: a parent before its children, siblings by name, case ignored.
bool keyPathLess(const QStringList &a, const QStringList &b);

} // namespace vcq
