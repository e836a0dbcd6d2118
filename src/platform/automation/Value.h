// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <memory>

namespace platform {

// A late-bound argument or result: empty, null, Boolean (True is -1),
// integer, text, or a reference to one of the program's objects.
class Value {
public:
    enum class Type { Empty, Null, Boolean, Integer, Text, Object };

    Value() = default;
    Value(bool b) : mType(Type::Boolean), mInt(b ? -1 : 0) {}
    Value(int i) : mType(Type::Integer), mInt(i) {}
    Value(qint64 i) : mType(Type::Integer), mInt(i) {}
    Value(const QString& s) : mType(Type::Text), mText(s) {}
    Value(const char*) = delete; // say QStringLiteral
    Value(std::shared_ptr<QObject> object) : mType(Type::Object), mObject(std::move(object)) {}

    static Value null();

    Type type() const { return mType; }
    bool isEmpty() const { return mType == Type::Empty; }
    bool isNull() const { return mType == Type::Null; }
    bool isText() const { return mType == Type::Text; }

    // Numeric value: Boolean True is -1, empty is 0. Text that is not a
    // number and null raise a type mismatch.
    qint64 toInteger() const;
    // Truth: any non-zero number is true. Null raises a type mismatch.
    bool toBool() const;
    // Text form: numbers in decimal, Booleans "True"/"False", empty "".
    // Null raises a type mismatch.
    QString toText() const;

    // The referenced object as a T; anything else raises a type mismatch.
    template <class T>
    std::shared_ptr<T> toObject() const
    {
        auto object = std::dynamic_pointer_cast<T>(mObject);
        if (mType != Type::Object || !object)
            typeMismatch();
        return object;
    }

    bool operator==(const Value& other) const;

    [[noreturn]] static void typeMismatch();

private:
    Type mType = Type::Empty;
    qint64 mInt = 0;
    QString mText;
    std::shared_ptr<QObject> mObject;
};

} // namespace platform
