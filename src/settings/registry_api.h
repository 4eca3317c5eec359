// SPDX-License-Identifier: GPL-3.0-or-later
// The registry operations the settings component needs (create or open a
// key, query a value, set a value, close a key), with the registry's value
// types and result codes. Names and data are single-byte strings in the
// program's code page; data is raw bytes of a declared type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vcq
{

enum RootKey {
    HKEY_CLASSES_ROOT,
    HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE,
    HKEY_USERS,
    HKEY_CURRENT_CONFIG,
};

// The text a root has at the start of a key path ("HKEY_LOCAL_MACHINE").
std::string_view rootKeyName(RootKey root);

// Value types, with the registry's numbers.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// Result codes, with the registry's numbers.
enum RegResult : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,     // no such value
    ERROR_ACCESS_DENIED = 5,      // the store cannot be created or written
    ERROR_INVALID_HANDLE = 6,     // not an open key
    ERROR_SHARING_VIOLATION = 32, // another program holds the store's lock
    ERROR_INVALID_PARAMETER = 87,
    ERROR_MORE_DATA = 234, // the caller's buffer is too small
    ERROR_BADDB = 1009,    // the store cannot be parsed
    ERROR_CANTREAD = 1012,
    ERROR_CANTWRITE = 1013,
    ERROR_KEY_DELETED = 1018, // the open key was removed behind our back
};

using RegKeyHandle = std::uint32_t; // 0 is never a valid handle

class RegistryApi
{
public:
    virtual ~RegistryApi() = default;

    // Opens subKey under root, creating it and any missing parent first.
    // *created (when given) tells whether the key was new.
    virtual long createKey(RootKey root, std::string_view subKey, RegKeyHandle *result,
                           bool *created = nullptr) = 0;
    // Without data: stores the value's type and size. With data: *size is
    // the buffer's size on entry and the data's size on return; a buffer
    // that is too small gives ERROR_MORE_DATA and the size needed.
    virtual long queryValue(RegKeyHandle key, std::string_view name, std::uint32_t *type,
                            unsigned char *data, std::uint32_t *size) = 0;
    virtual long setValue(RegKeyHandle key, std::string_view name, std::uint32_t type,
                          const unsigned char *data, std::uint32_t size) = 0;
    virtual long closeKey(RegKeyHandle key) = 0;

    // A sentence for the user on why the last failure with this code
    // happened, when the store knows more than the code says; else empty.
    virtual std::string failureDetail(long code) const
    {
        (void)code;
        return {};
    }
};

} // namespace vcq
