// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QFont>

// The windows' fonts. "MS Sans Serif" and "Arial" are asked for by name;
// where the system lacks them, the nearest sans-serif face it has is used
// (Liberation Sans, metric-compatible with Arial, then DejaVu Sans).
class Fonts final {
public:
    static QFont MsSansSerif(qreal points, bool bold = false);
    static QFont Arial(qreal points, bool bold = false);

private:
    static QFont Make(const QString& family, qreal points, bool bold);
};
