// SPDX-License-Identifier: GPL-3.0-or-later
// The registry kept in one "REGEDIT4" text file, by default
// $XDG_CONFIG_HOME/vellora-carnetique-97/registry.reg. Every operation looks
// at the file afresh, so two components (or two programs) see each other's
// writes, but parses it again only when it changed; a change is made under a
// lock file and written whole to a temporary file that then replaces the old
// one. A file that cannot be parsed, is not an ordinary file or is larger
// than 4 MiB is reported (ERROR_BADDB) and never written over.
#pragma once

#include "registry_api.h"
#include "registry_image.h"
#include "regular_file.h"

#include <QString>

class QLockFile;

#include <map>

namespace vcq
{

// $XDG_CONFIG_HOME (or ~/.config)/vellora-carnetique-97/registry.reg
QString standardRegistryPath();

class FileRegistry : public RegistryApi
{
public:
    // An empty path means standardRegistryPath(), looked up at each operation.
    explicit FileRegistry(QString filePath = {});

    QString filePath() const;

    long createKey(RootKey root, std::string_view subKey, RegKeyHandle *result,
                   bool *created = nullptr) override;
    long queryValue(RegKeyHandle key, std::string_view name, std::uint32_t *type,
                    unsigned char *data, std::uint32_t *size) override;
    long setValue(RegKeyHandle key, std::string_view name, std::uint32_t type,
                  const unsigned char *data, std::uint32_t size) override;
    long closeKey(RegKeyHandle key) override;

    std::string failureDetail(long code) const override;

    // How many times the file was parsed: once per version of the file.
    int parseCount() const { return m_parses; }

private:
    long load(const QString &path, RegistryImage &image) const;
    long save(const QString &path, const RegistryImage &image) const;
    long lockFolder(const QString &path, QLockFile &lock) const;
    long makeFolder(const QString &path) const;
    long fail(long code, QString detail = {}) const;

    QString m_path;
    std::map<RegKeyHandle, QStringList> m_open;
    RegKeyHandle m_nextHandle = 1;
    mutable long m_lastFailure = ERROR_SUCCESS;
    mutable QString m_lastDetail;
    // The last version of the file parsed, told apart by its identity.
    struct Cache {
        bool valid = false;
        FileIdentity identity;
        RegistryImage image;
    };
    mutable Cache m_cache;
    mutable int m_parses = 0;
};

// The registry the program uses: the file at standardRegistryPath().
RegistryApi &systemRegistry();

} // namespace vcq
