// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry_image.h"

#include <algorithm>

namespace vcq
{

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool keyPathLess(const QStringList &a, const QStringList &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int c = a[i].compare(b[i], Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
    }
    return a.size() < b.size();
}

static bool samePath(const QStringList &a, const QStringList &b)
{
    return !keyPathLess(a, b) && !keyPathLess(b, a);
}

const RegValue *RegKey::findValue(QStringView name) const
{
    for (const RegValue &v : values) {
        if (sameName(v.name, name))
            return &v;
    }
    return nullptr;
}

void RegKey::setValue(RegValue value)
{
    for (RegValue &v : values) {
        if (sameName(v.name, value.name)) {
            // The registry keeps the name as first written.
            v.type = value.type;
            v.data = std::move(value.data);
            return;
        }
    }
    values.push_back(std::move(value));
}

const RegKey *RegistryImage::findKey(const QStringList &path) const
{
    auto it = std::lower_bound(
        m_keys.begin(), m_keys.end(), path,
        [](const RegKey &k, const QStringList &p) { return keyPathLess(k.path, p); });
    if (it != m_keys.end() && samePath(it->path, path))
        return &*it;
    return nullptr;
}

RegKey *RegistryImage::findKey(const QStringList &path)
{
    return const_cast<RegKey *>(std::as_const(*this).findKey(path));
}

RegKey &RegistryImage::insertKey(const QStringList &path, bool *created)
{
    auto it = std::lower_bound(
        m_keys.begin(), m_keys.end(), path,
        [](const RegKey &k, const QStringList &p) { return keyPathLess(k.path, p); });
    if (it != m_keys.end() && samePath(it->path, path))
        return *it;
    if (created)
        *created = true;
    return *m_keys.insert(it, RegKey{path, {}});
}

RegKey &RegistryImage::createKey(const QStringList &path, bool *created)
{
    if (created)
        *created = false;
    // Parents first; the root alone is not a key of its own unless asked for.
    for (qsizetype n = 2; n < path.size(); ++n)
        insertKey(path.first(n), nullptr);
    return insertKey(path, created);
}

} // namespace vcq
