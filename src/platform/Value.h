#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// The result of a late-bound call: empty, null, Boolean (True is -1),
// integer or text.
class Value {
public:
    enum class Type { Empty, Null, Boolean, Integer, Text };

    Value() = default;
    Value(bool b) : mType(Type::Boolean), mInt(b ? -1 : 0) {}
    Value(int i) : mType(Type::Integer), mInt(i) {}
    Value(qint64 i) : mType(Type::Integer), mInt(i) {}
    Value(const QString& s) : mType(Type::Text), mText(s) {}
    Value(const char*) = delete; // say QStringLiteral

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

    bool operator==(const Value& other) const;

private:
    Type mType = Type::Empty;
    qint64 mInt = 0;
    QString mText;
};

} // namespace platform
