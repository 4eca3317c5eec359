// SPDX-License-Identifier: GPL-3.0-or-later
// The call-information record (LINECALLINFO) as a byte buffer: its fixed part with the fields
// this program reads or fills, and the variable part holding the texts. Writers never go past
// the size the caller declared in dwTotalSize; readers never go past the buffer they were given.
#pragma once

#include "line_types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vcq::tapi
{

namespace callinfo
{
inline constexpr std::size_t dwTotalSize = 0;
inline constexpr std::size_t dwNeededSize = 4;
inline constexpr std::size_t dwUsedSize = 8;
inline constexpr std::size_t hLine = 12;
inline constexpr std::size_t dwLineDeviceID = 16;
inline constexpr std::size_t dwBearerMode = 24;
inline constexpr std::size_t dwMediaMode = 32;
inline constexpr std::size_t dwCallStates = 52;
inline constexpr std::size_t dwOrigin = 80;
inline constexpr std::size_t dwCalledIDSize = 132;
inline constexpr std::size_t dwCalledIDOffset = 136;
inline constexpr std::size_t dwAppNameSize = 208;
inline constexpr std::size_t dwAppNameOffset = 212;
// Size of the fixed part; the texts follow it.
inline constexpr std::size_t kFixedSize = 296;
} // namespace callinfo

// What a backend knows about a call.
struct CallInfoFields {
    HLINE line = 0;
    DWORD deviceId = 0;
    DWORD bearerMode = LINEBEARERMODE_VOICE;
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    DWORD callStates = 0;
    DWORD origin = LINECALLORIGIN_OUTBOUND;
    std::string calledId;
    std::string appName;
    bool operator==(const CallInfoFields &) const = default;
};

DWORD readDword(const std::uint8_t *buffer, std::size_t bufferSize, std::size_t offset);
void writeDword(std::uint8_t *buffer, std::size_t offset, DWORD value);

// Fills a caller's buffer whose dwTotalSize says how large it is. Texts are stored
// zero-terminated; when they do not fit, dwNeededSize says how much room they need and their
// sizes stay 0. LINEERR_STRUCTURETOOSMALL when even the fixed part does not fit.
LONG fillCallInfo(std::uint8_t *buffer, const CallInfoFields &fields);

// The application name a filled buffer holds, or an empty text when it has none or when its
// size and offset point outside the buffer. Stops at the first zero byte.
std::string appNameFromCallInfo(const std::uint8_t *buffer, std::size_t bufferSize);

} // namespace vcq::tapi
