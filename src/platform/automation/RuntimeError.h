// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace platform {

// The program's one failure type. A failure carries the well-known number of
// the run-time environment, a description for people and the component that
// raised it, and travels up to the nearest handler.
class RuntimeError : public std::exception {
public:
    enum Number : int {
        Overflow = 6,
        TypeMismatch = 13,
        FileNotFound = 53,
        FileAlreadyExists = 58,
        PermissionDenied = 70,
        PathNotFound = 76,
        ObjectRequired = 91,
        InvalidProcedureCall = 5,
        CannotCreateObject = 429,
        MemberNotFound = 438,
        AutomationError = 440,
        CancelSelected = 32755,
    };

    RuntimeError(int number, QString description, QString source = QString());

    int number() const noexcept { return mNumber; }
    const QString& description() const noexcept { return mDescription; }
    const QString& source() const noexcept { return mSource; }
    const char* what() const noexcept override { return mWhat.c_str(); }

private:
    int mNumber;
    QString mDescription;
    QString mSource;
    std::string mWhat;
};

} // namespace platform
