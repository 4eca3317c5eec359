// SPDX-License-Identifier: GPL-3.0-or-later
// TRegApp: typed access to the values under one registry key of the
// application, the key built from a hive, a company, an application name, a
// version and an optional sub-path. TRegAppDefaultUserConfig is the same
// component with the all-users hive as its default. setVcqKey gives a
// component the program's own key.
#pragma once

#include "registry_api.h"

#include <QObject>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vcq
{

enum class TRegistryHive : std::uint8_t {
    rhCurrentUser,
    rhAllUsers,
    rhMachine,
};

enum class RegistryErrc {
    CreateKey,       // "Failed to create key %s"
    SetData,         // "Failed to set data for '%s'"
    GetData,         // "Failed to get data for '%s'"
    InvalidDataType, // "Invalid data type for '%s'"
};

// what() is the message in UTF-8, followed on a new line by what the store
// knows of the cause when it knows more than the message says.
class ERegistryException : public std::runtime_error
{
public:
    ERegistryException(RegistryErrc kind, const std::string &subject, long code,
                       const std::string &detail = {});
    RegistryErrc kind() const { return m_kind; }
    long code() const { return m_code; } // the registry's result code
    // The message alone, without the detail.
    const std::string &message() const { return m_message; }

private:
    RegistryErrc m_kind;
    long m_code;
    std::string m_message;
};

class TRegApp : public QObject
{
    Q_OBJECT
public:
    // A null registry means the program's (systemRegistry()).
    explicit TRegApp(QObject *owner = nullptr, vcq::RegistryApi *registry = nullptr);
    ~TRegApp() override;

    bool Active() const { return m_active; }
    void setActive(bool active);
    vcq::TRegistryHive RootKey() const { return m_rootKey; }
    void setRootKey(vcq::TRegistryHive hive);
    const std::string &Company() const { return m_company; }
    void setCompany(const std::string &company);
    const std::string &ApplicationName() const { return m_applicationName; }
    void setApplicationName(const std::string &name);
    const std::string &Version() const { return m_version; }
    void setVersion(const std::string &version);
    const std::string &RelativePath() const { return m_relativePath; }
    void setRelativePath(const std::string &path);

    std::string BuildKeyPath() const;

    bool HasValue(std::string_view name);
    bool ReadBoolValue(std::string_view name);
    std::int32_t ReadIntegerValue(std::string_view name);
    std::string ReadStringValue(std::string_view name);
    void WriteBoolValue(std::string_view name, bool value);
    void WriteIntegerValue(std::string_view name, std::int32_t value);
    void WriteStringValue(std::string_view name, std::string_view value);

    // The root the open key lives under (as last activated) and its path;
    // the path is empty while no key is open.
    vcq::RootKey currentRoot() const { return m_currentRoot; }
    const std::string &currentPath() const { return m_currentPath; }

private:
    class Use;
    void setProperty(std::string &field, const std::string &value);
    [[noreturn]] void raise(vcq::RegistryErrc kind, std::string_view subject, long code) const;

    bool m_active = false;
    vcq::TRegistryHive m_rootKey = vcq::TRegistryHive::rhCurrentUser;
    std::string m_company = "My Company";
    std::string m_applicationName = "My Application";
    std::string m_version = "v1.0a";
    std::string m_relativePath;

    // The accessor: where the open key is.
    vcq::RegistryApi &m_registry;
    vcq::RootKey m_currentRoot = vcq::HKEY_CURRENT_USER;
    vcq::RegKeyHandle m_currentKey = 0;
    std::string m_currentPath;
};

class TRegAppDefaultUserConfig : public TRegApp
{
    Q_OBJECT
public:
    explicit TRegAppDefaultUserConfig(QObject *owner = nullptr,
                                      vcq::RegistryApi *registry = nullptr);
};

// Keeps a component active for a series of calls and makes sure it is
// inactive afterwards, even when one of them throws.
class RegAppActivation
{
public:
    explicit RegAppActivation(TRegApp &component) : m_component(component)
    {
        m_component.setActive(true);
    }
    ~RegAppActivation() { m_component.setActive(false); }
    RegAppActivation(const RegAppActivation &) = delete;
    RegAppActivation &operator=(const RegAppActivation &) = delete;

private:
    TRegApp &m_component;
};

// Gives the component the program's key, SOFTWARE\Vellora Softwares\Vellora
// Carnetique 97\v1.0 under HKEY_LOCAL_MACHINE. Set while inactive, so no
// registry call.
void setVcqKey(TRegApp &component);

} // namespace vcq
