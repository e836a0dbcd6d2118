// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// What batch users run today with a persistent office: one or more warm
// LibreOffice processes, each started once with its own profile and pipe,
// and a plain UNO client that loads each document hidden through the
// office's desktop, stores it as Word 97 and closes it. With several offices,
// one client thread per office takes the next file from a shared list.
class PlainOfficeClient final {
public:
    // Starts `offices` offices in `folder` and connects to them; each converts
    // `warmUp` once, untimed, so that it is warm.
    PlainOfficeClient(int offices, const QString& folder, const QString& warmUp);
    ~PlainOfficeClient();
    PlainOfficeClient(const PlainOfficeClient&) = delete;
    PlainOfficeClient& operator=(const PlainOfficeClient&) = delete;

    // Converts every file into `outFolder`; returns the seconds it took and
    // sets `written` to the Word documents written.
    double convert(const QStringList& files, const QString& outFolder, int& written);

private:
    struct Office;
    std::vector<std::unique_ptr<Office>> mOffices;
};
