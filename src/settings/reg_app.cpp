// SPDX-License-Identifier: GPL-3.0-or-later
#include "reg_app.h"

#include "core/cp1252.h"
#include "file_registry.h"

#include <array>

namespace vcq
{

namespace
{

std::string formatMessage(RegistryErrc kind, const std::string &subject)
{
    const std::string s = fromCp1252(subject).toStdString();
    switch (kind) {
    case RegistryErrc::CreateKey:
        return "Failed to create key " + s;
    case RegistryErrc::SetData:
        return "Failed to set data for '" + s + "'";
    case RegistryErrc::GetData:
        return "Failed to get data for '" + s + "'";
    case RegistryErrc::InvalidDataType:
        return "Invalid data type for '" + s + "'";
    }
    return s;
}

std::string withDetail(const std::string &message, const std::string &detail)
{
    return detail.empty() ? message : message + "\n" + detail;
}

} // namespace

ERegistryException::ERegistryException(RegistryErrc kind, const std::string &subject, long code,
                                       const std::string &detail)
    : std::runtime_error(withDetail(formatMessage(kind, subject), detail)), m_kind(kind),
      m_code(code), m_message(formatMessage(kind, subject))
{
}

void setVcqKey(TRegApp &component)
{
    component.setRootKey(TRegistryHive::rhMachine);
    component.setCompany("Vellora Softwares");
    component.setApplicationName("Vellora Carnetique 97");
    component.setVersion("v1.0");
}

// Activates the component for one typed call when it is not active, and
// deactivates it again afterwards, error or not.
class TRegApp::Use
{
public:
    explicit Use(TRegApp &c) : m_c(c), m_activated(!c.m_active)
    {
        if (m_activated)
            m_c.setActive(true);
    }
    ~Use()
    {
        if (m_activated)
            m_c.setActive(false);
    }
    Use(const Use &) = delete;
    Use &operator=(const Use &) = delete;

private:
    TRegApp &m_c;
    bool m_activated;
};

TRegApp::TRegApp(QObject *owner, RegistryApi *registry)
    : QObject(owner), m_registry(registry ? *registry : systemRegistry())
{
}

TRegApp::~TRegApp()
{
    setActive(false);
}

void TRegApp::raise(RegistryErrc kind, std::string_view subject, long code) const
{
    const std::string detail =
        code == ERROR_SUCCESS ? std::string() : m_registry.failureDetail(code);
    throw ERegistryException(kind, std::string(subject), code, detail);
}

std::string TRegApp::BuildKeyPath() const
{
    std::string path;
    if (m_rootKey == TRegistryHive::rhAllUsers)
        path += ".DEFAULT\\";
    path += "SOFTWARE\\";
    path += m_company.empty() ? "TESTCOMPANY" : m_company;
    path += "\\";
    path += m_applicationName.empty() ? "TESTAPPLICATION" : m_applicationName;
    path += "\\";
    path += m_version.empty() ? "1.0a" : m_version;
    if (!m_relativePath.empty())
        path += "\\" + m_relativePath;
    return path;
}

void TRegApp::setActive(bool active)
{
    if (active == m_active)
        return;
    if (active) {
        switch (m_rootKey) {
        case TRegistryHive::rhCurrentUser:
            m_currentRoot = HKEY_CURRENT_USER;
            break;
        case TRegistryHive::rhAllUsers:
            m_currentRoot = HKEY_USERS;
            break;
        case TRegistryHive::rhMachine:
            m_currentRoot = HKEY_LOCAL_MACHINE;
            break;
        }
        const std::string path = BuildKeyPath();
        RegKeyHandle created = 0;
        const long r = m_registry.createKey(m_currentRoot, path, &created);
        if (r != ERROR_SUCCESS)
            raise(RegistryErrc::CreateKey, path, r);
        m_registry.closeKey(created);
        // A failure to open is not reported here: the value calls fail instead.
        RegKeyHandle opened = 0;
        if (m_registry.createKey(m_currentRoot, path, &opened) == ERROR_SUCCESS) {
            m_currentKey = opened;
            m_currentPath = path;
        }
    } else {
        if (m_currentKey != 0)
            m_registry.closeKey(m_currentKey);
        m_currentKey = 0;
        m_currentPath.clear();
    }
    m_active = active;
}

void TRegApp::setProperty(std::string &field, const std::string &value)
{
    if (field == value)
        return;
    if (m_active) {
        setActive(false);
        field = value;
        setActive(true);
    } else {
        field = value;
    }
}

void TRegApp::setRootKey(TRegistryHive hive)
{
    if (hive == m_rootKey)
        return;
    if (m_active) {
        setActive(false);
        m_rootKey = hive;
        setActive(true);
    } else {
        m_rootKey = hive;
    }
}

void TRegApp::setCompany(const std::string &company)
{
    setProperty(m_company, company);
}

void TRegApp::setApplicationName(const std::string &name)
{
    setProperty(m_applicationName, name);
}

void TRegApp::setVersion(const std::string &version)
{
    setProperty(m_version, version);
}

void TRegApp::setRelativePath(const std::string &path)
{
    setProperty(m_relativePath, path);
}

bool TRegApp::HasValue(std::string_view name)
{
    Use use(*this);
    return m_registry.queryValue(m_currentKey, name, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::int32_t TRegApp::ReadIntegerValue(std::string_view name)
{
    Use use(*this);
    std::array<unsigned char, 4> buffer{};
    std::uint32_t size = buffer.size();
    std::uint32_t type = REG_NONE;
    const long r = m_registry.queryValue(m_currentKey, name, &type, buffer.data(), &size);
    if (r != ERROR_SUCCESS)
        raise(RegistryErrc::GetData, name, r);
    if (type != REG_DWORD)
        raise(RegistryErrc::InvalidDataType, name, r);
    const std::uint32_t n = std::uint32_t(buffer[0]) | std::uint32_t(buffer[1]) << 8 |
                            std::uint32_t(buffer[2]) << 16 | std::uint32_t(buffer[3]) << 24;
    return static_cast<std::int32_t>(n);
}

bool TRegApp::ReadBoolValue(std::string_view name)
{
    return ReadIntegerValue(name) != 0;
}

std::string TRegApp::ReadStringValue(std::string_view name)
{
    Use use(*this);
    std::uint32_t size = 0;
    if (m_registry.queryValue(m_currentKey, name, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return {};
    std::string data(size, '\0');
    std::uint32_t type = REG_NONE;
    const long r = m_registry.queryValue(m_currentKey, name, &type,
                                         reinterpret_cast<unsigned char *>(data.data()), &size);
    if (r != ERROR_SUCCESS)
        raise(RegistryErrc::GetData, name, r);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        raise(RegistryErrc::InvalidDataType, name, r);
    data.resize(size);
    if (const auto nul = data.find('\0'); nul != std::string::npos)
        data.resize(nul);
    return data;
}

void TRegApp::WriteIntegerValue(std::string_view name, std::int32_t value)
{
    Use use(*this);
    const auto n = static_cast<std::uint32_t>(value);
    const std::array<unsigned char, 4> bytes = {
        static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
        static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    const long r = m_registry.setValue(m_currentKey, name, REG_DWORD, bytes.data(), bytes.size());
    if (r != ERROR_SUCCESS)
        raise(RegistryErrc::SetData, name, r);
}

void TRegApp::WriteBoolValue(std::string_view name, bool value)
{
    WriteIntegerValue(name, value ? 1 : 0);
}

void TRegApp::WriteStringValue(std::string_view name, std::string_view value)
{
    Use use(*this);
    const long r = m_registry.setValue(m_currentKey, name, REG_SZ,
                                       reinterpret_cast<const unsigned char *>(value.data()),
                                       static_cast<std::uint32_t>(value.size()));
    if (r != ERROR_SUCCESS)
        raise(RegistryErrc::SetData, name, r);
}

TRegAppDefaultUserConfig::TRegAppDefaultUserConfig(QObject *owner, RegistryApi *registry)
    : TRegApp(owner, registry)
{
    setRootKey(TRegistryHive::rhAllUsers);
}

} // namespace vcq
