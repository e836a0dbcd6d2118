// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QLabel>

// A label that reacts to a click. It can take the keyboard focus (Tab), and
// Enter, Return or Space act like a click, so that keyboard users reach it
// too. setLinkStyle() makes it look like a web link: blue, underlined, with a
// pointing-hand cursor.
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

    void setLinkStyle();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool mPressed = false;
};
