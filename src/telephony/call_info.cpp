// SPDX-License-Identifier: GPL-3.0-or-later
#include "call_info.h"

#include <cstring>

namespace vcq::tapi
{

DWORD readDword(const std::uint8_t *buffer, std::size_t bufferSize, std::size_t offset)
{
    if (buffer == nullptr || offset > bufferSize || bufferSize - offset < sizeof(DWORD))
        return 0;
    DWORD value;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

void writeDword(std::uint8_t *buffer, std::size_t offset, DWORD value)
{
    std::memcpy(buffer + offset, &value, sizeof value);
}

LONG fillCallInfo(std::uint8_t *buffer, const CallInfoFields &fields)
{
    if (buffer == nullptr)
        return LINEERR_INVALPOINTER;
    const std::size_t total = readDword(buffer, sizeof(DWORD), callinfo::dwTotalSize);
    if (total < callinfo::kFixedSize)
        return LINEERR_STRUCTURETOOSMALL;

    std::memset(buffer + sizeof(DWORD), 0, callinfo::kFixedSize - sizeof(DWORD));
    writeDword(buffer, callinfo::hLine, fields.line);
    writeDword(buffer, callinfo::dwLineDeviceID, fields.deviceId);
    writeDword(buffer, callinfo::dwBearerMode, fields.bearerMode);
    writeDword(buffer, callinfo::dwMediaMode, fields.mediaMode);
    writeDword(buffer, callinfo::dwCallStates, fields.callStates);
    writeDword(buffer, callinfo::dwOrigin, fields.origin);

    const std::size_t calledSize = fields.calledId.empty() ? 0 : fields.calledId.size() + 1;
    const std::size_t appSize = fields.appName.empty() ? 0 : fields.appName.size() + 1;
    const std::size_t needed = callinfo::kFixedSize + calledSize + appSize;
    writeDword(buffer, callinfo::dwNeededSize, static_cast<DWORD>(needed));

    std::size_t used = callinfo::kFixedSize;
    if (needed <= total) {
        auto put = [&](const std::string &text, std::size_t size, std::size_t sizeField,
                       std::size_t offsetField) {
            if (size == 0)
                return;
            std::memcpy(buffer + used, text.c_str(), size);
            writeDword(buffer, sizeField, static_cast<DWORD>(size));
            writeDword(buffer, offsetField, static_cast<DWORD>(used));
            used += size;
        };
        put(fields.calledId, calledSize, callinfo::dwCalledIDSize, callinfo::dwCalledIDOffset);
        put(fields.appName, appSize, callinfo::dwAppNameSize, callinfo::dwAppNameOffset);
    }
    writeDword(buffer, callinfo::dwUsedSize, static_cast<DWORD>(used));
    return 0;
}

std::string appNameFromCallInfo(const std::uint8_t *buffer, std::size_t bufferSize)
{
    const std::size_t size = readDword(buffer, bufferSize, callinfo::dwAppNameSize);
    const std::size_t offset = readDword(buffer, bufferSize, callinfo::dwAppNameOffset);
    if (size == 0 || offset >= bufferSize)
        return {};
    const std::size_t room = bufferSize - offset < size ? bufferSize - offset : size;
    const char *start = reinterpret_cast<const char *>(buffer + offset);
    const void *zero = std::memchr(start, 0, room);
    const std::size_t length =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const char *>(zero) - start) : room;
    return std::string(start, length);
}

} // namespace vcq::tapi
