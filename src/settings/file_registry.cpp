// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_registry.h"

#include "core/cp1252.h"
#include "regedit_format.h"
#include "regular_file.h"
#include "store/private_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace vcq
{

namespace
{

constexpr int kLockWaitMs = 10000;

QStringList splitSubKey(RootKey root, std::string_view subKey, bool &ok)
{
    QStringList path{QString::fromLatin1(rootKeyName(root))};
    ok = true;
    if (subKey.empty())
        return path;
    const QStringList parts = fromCp1252(subKey).split(u'\\');
    for (const QString &p : parts) {
        if (p.isEmpty())
            ok = false;
    }
    return path + parts;
}

} // namespace

QString standardRegistryPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is to be ignored, as desktops do.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/vellora-carnetique-97/registry.reg");
}

FileRegistry::FileRegistry(QString filePath) : m_path(std::move(filePath)) {}

QString FileRegistry::filePath() const
{
    return m_path.isEmpty() ? standardRegistryPath() : m_path;
}

long FileRegistry::fail(long code, QString detail) const
{
    m_lastFailure = code;
    m_lastDetail = std::move(detail);
    return code;
}

std::string FileRegistry::failureDetail(long code) const
{
    if (code != m_lastFailure)
        return {};
    return m_lastDetail.toStdString();
}

long FileRegistry::load(const QString &path, RegistryImage &image) const
{
    const SmallFile file =
        readSmallRegularFile(QFile::encodeName(path).toStdString(), kSettingsFileCap,
                             m_cache.valid ? &m_cache.identity : nullptr);
    const auto leftAlone = [&](const QString &fault) {
        return fail(ERROR_BADDB, QStringLiteral("The settings file \"%1\" %2. It has been left as "
                                                "it is; default settings are used.")
                                     .arg(path, fault));
    };
    switch (file.status) {
    case SmallFileStatus::Missing:
        m_cache.valid = false;
        image = RegistryImage();
        return ERROR_SUCCESS;
    case SmallFileStatus::Unchanged:
        // The same file as last time: parsed once, not once per value.
        image = m_cache.image;
        return ERROR_SUCCESS;
    case SmallFileStatus::NotRegular:
        return leftAlone(QStringLiteral("is not an ordinary file (a pipe, a device or a folder)"));
    case SmallFileStatus::TooLarge:
        return leftAlone(QStringLiteral("is larger than %1 MiB").arg(kSettingsFileCap >> 20));
    case SmallFileStatus::Unreadable:
        if (file.error == EACCES || file.error == EPERM)
            return fail(ERROR_ACCESS_DENIED,
                        QStringLiteral("The settings file \"%1\" cannot be read: %2.")
                            .arg(path, QString::fromLocal8Bit(std::strerror(file.error))));
        return fail(ERROR_CANTREAD,
                    QStringLiteral("The settings file \"%1\" cannot be read: %2.")
                        .arg(path, QString::fromLocal8Bit(std::strerror(file.error))));
    case SmallFileStatus::Read:
        break;
    }
    ++m_parses;
    RegeditParseError error;
    auto parsed = parseRegedit(QByteArray::fromStdString(file.bytes), &error);
    if (!parsed) {
        m_cache.valid = false;
        return fail(ERROR_BADDB,
                    QStringLiteral("The settings file \"%1\" is damaged (line %2: %3). It has been "
                                   "left as it is; correct it or move it away.")
                        .arg(path)
                        .arg(error.line)
                        .arg(error.reason));
    }
    image = std::move(*parsed);
    m_cache = {true, file.identity, image};
    return ERROR_SUCCESS;
}

long FileRegistry::makeFolder(const QString &path) const
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder))
        return ERROR_SUCCESS;
    return fail(ERROR_ACCESS_DENIED,
                QStringLiteral("The settings folder \"%1\" cannot be created.").arg(folder));
}

long FileRegistry::lockFolder(const QString &path, QLockFile &lock) const
{
    if (!lock.tryLock(kLockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            return fail(
                ERROR_SHARING_VIOLATION,
                QStringLiteral("The settings file \"%1\" is locked by another program.").arg(path));
        return fail(ERROR_ACCESS_DENIED,
                    QStringLiteral("The settings folder \"%1\" cannot be written to.")
                        .arg(QFileInfo(path).absolutePath()));
    }
    return ERROR_SUCCESS;
}

long FileRegistry::save(const QString &path, const RegistryImage &image) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !makePrivate(int(file.handle()))) {
        if (file.error() == QFileDevice::PermissionsError)
            return fail(ERROR_ACCESS_DENIED,
                        QStringLiteral("The settings file \"%1\" cannot be written: %2.")
                            .arg(path, file.errorString()));
        return fail(ERROR_CANTWRITE,
                    QStringLiteral("The settings file \"%1\" cannot be written: %2.")
                        .arg(path, file.errorString()));
    }
    const QByteArray text = formatRegedit(image);
    if (file.write(text) != text.size() || !file.commit()) {
        m_cache.valid = false;
        return fail(ERROR_CANTWRITE,
                    QStringLiteral("The settings file \"%1\" cannot be written: %2.")
                        .arg(path, file.errorString()));
    }
    m_cache.valid = false; // the file just written is read once more, then kept
    return ERROR_SUCCESS;
}

long FileRegistry::createKey(RootKey root, std::string_view subKey, RegKeyHandle *result,
                             bool *created)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    if (created)
        *created = false;
    bool ok = false;
    const QStringList keyPath = splitSubKey(root, subKey, ok);
    if (!ok)
        return ERROR_INVALID_PARAMETER;

    const QString path = filePath();
    RegistryImage image;
    if (long r = load(path, image); r != ERROR_SUCCESS)
        return r;
    if (!image.findKey(keyPath)) {
        if (long r = makeFolder(path); r != ERROR_SUCCESS)
            return r;
        QLockFile lock(path + QStringLiteral(".lock"));
        if (long r = lockFolder(path, lock); r != ERROR_SUCCESS)
            return r;
        // Read again under the lock: another program may have written since.
        if (long r = load(path, image); r != ERROR_SUCCESS)
            return r;
        bool isNew = false;
        image.createKey(keyPath, &isNew);
        if (isNew) {
            if (long r = save(path, image); r != ERROR_SUCCESS)
                return r;
        }
        if (created)
            *created = isNew;
    }
    *result = m_nextHandle++;
    m_open.emplace(*result, keyPath);
    return ERROR_SUCCESS;
}

long FileRegistry::queryValue(RegKeyHandle key, std::string_view name, std::uint32_t *type,
                              unsigned char *data, std::uint32_t *size)
{
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    RegistryImage image;
    if (long r = load(filePath(), image); r != ERROR_SUCCESS)
        return r;
    const RegKey *k = image.findKey(open->second);
    if (!k)
        return ERROR_KEY_DELETED;
    const RegValue *v = k->findValue(fromCp1252(name));
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    const auto needed = static_cast<std::uint32_t>(v->data.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, v->data.data(), needed);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

long FileRegistry::setValue(RegKeyHandle key, std::string_view name, std::uint32_t type,
                            const unsigned char *data, std::uint32_t size)
{
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return ERROR_INVALID_HANDLE;
    if (!data && size != 0)
        return ERROR_INVALID_PARAMETER;
    const QString path = filePath();
    if (long r = makeFolder(path); r != ERROR_SUCCESS)
        return r;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (long r = lockFolder(path, lock); r != ERROR_SUCCESS)
        return r;
    RegistryImage image;
    if (long r = load(path, image); r != ERROR_SUCCESS)
        return r;
    RegKey *k = image.findKey(open->second);
    if (!k)
        return ERROR_KEY_DELETED;
    RegValue value{fromCp1252(name), type,
                   data ? std::string(reinterpret_cast<const char *>(data), size) : std::string()};
    k->setValue(std::move(value));
    return save(path, image);
}

long FileRegistry::closeKey(RegKeyHandle key)
{
    return m_open.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

RegistryApi &systemRegistry()
{
    static FileRegistry registry;
    return registry;
}

} // namespace vcq
