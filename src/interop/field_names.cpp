// SPDX-License-Identifier: GPL-3.0-or-later
#include "field_names.h"

namespace vcq::interop
{

std::string_view fieldName(Field field)
{
    static constexpr std::string_view kNames[kFieldCount] = {
        "FirstName", "LastName", "Organisation", "Address1",   "City",     "Zip",   "State",
        "Country",   "Phone1",   "Phone2",       "Cell",       "Phone3",   "Email", "Comment",
        "Birth",     "Status",   "Password",     "Protection", "Reserved",
    };
    const int i = static_cast<int>(field);
    return i >= 0 && i < kFieldCount ? kNames[i] : std::string_view("?");
}

} // namespace vcq::interop
