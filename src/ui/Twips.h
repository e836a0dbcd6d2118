// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QRect>

// Window geometry is given in twips: 15 twips are one pixel at 96 dots per
// inch.
constexpr int Twips(int twips)
{
    return (twips + 7) / 15;
}

constexpr QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}
