// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <optional>

namespace librevenge {
class RVNGPropertyList;
}

namespace engine {

// Reads the values of librevenge's property lists (what libwpd and libwpg
// hand over): lengths in inches whatever unit they came in, texts as
// QStrings.
class RevengeValue final {
public:
    RevengeValue() = delete;

    // A length in inches; none when the property is missing, is a
    // percentage, or has no length unit.
    static std::optional<double> Inches(const librevenge::RVNGPropertyList& list, const char* name);
    // A plain number (a count, a ratio); none when missing.
    static std::optional<double> Number(const librevenge::RVNGPropertyList& list, const char* name);
    // The property as text; empty when missing.
    static QString Text(const librevenge::RVNGPropertyList& list, const char* name);
};

} // namespace engine
