// SPDX-License-Identifier: MPL-2.0
#include "engine/pictures/drawing/RevengeValue.h"

#include <librevenge/librevenge.h>

namespace engine {

std::optional<double> RevengeValue::Inches(const librevenge::RVNGPropertyList& list, const char* name)
{
    const librevenge::RVNGProperty* property = list[name];
    if (!property)
        return std::nullopt;
    switch (property->getUnit()) {
    case librevenge::RVNG_INCH:
        return property->getDouble();
    case librevenge::RVNG_POINT:
        return property->getDouble() / 72.0;
    case librevenge::RVNG_TWIP:
        return property->getDouble() / 1440.0;
    default:
        return std::nullopt;
    }
}

std::optional<double> RevengeValue::Number(const librevenge::RVNGPropertyList& list, const char* name)
{
    const librevenge::RVNGProperty* property = list[name];
    if (!property)
        return std::nullopt;
    return property->getDouble();
}

QString RevengeValue::Text(const librevenge::RVNGPropertyList& list, const char* name)
{
    const librevenge::RVNGProperty* property = list[name];
    if (!property)
        return {};
    return QString::fromUtf8(property->getStr().cstr());
}

} // namespace engine
