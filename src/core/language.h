// SPDX-License-Identifier: GPL-3.0-or-later
// The interface language, and a text in both languages. Every window takes
// its texts from TextPair and learns the language as a Language value.
#pragma once

#include <QMetaType>
#include <QString>

#include <cstdint>

namespace vcq
{

enum class Language { English, French };

// The language a stored code stands for: 1 is French, every other code
// (0 above all, the default) English.
constexpr Language languageFromCode(std::int32_t code)
{
    return code == 1 ? Language::French : Language::English;
}

// One text in French and in English, both UTF-8.
struct TextPair {
    const char *french;
    const char *english;

    QString in(Language language) const
    {
        return QString::fromUtf8(language == Language::French ? french : english);
    }
};

} // namespace vcq

Q_DECLARE_METATYPE(vcq::Language)
