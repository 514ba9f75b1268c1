// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run-time error as the program's procedures know them: a number and a
// description. Every failing operation of the core throws one of these.

#include <QString>
#include <exception>

class AppError : public std::exception
{
public:
    AppError(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
    {
    }

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// The classic run-time error numbers the program reports.
namespace ErrNo {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int TypeMismatch = 13;
inline constexpr int InternalError = 51;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int DiskFull = 61;
inline constexpr int BadFileNameOrNumber = 64;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int DiskMediaError = 72;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int DialogCancelled = 32755;
} // namespace ErrNo

// The words of the errors raised with no words of their own; the Jet
// functions speak some of them too.
inline constexpr char kInvalidCall[] = "Invalid procedure call or argument";
inline constexpr char kOverflow[] = "Overflow";
inline constexpr char kTypeMismatchWords[] = "Type mismatch";
inline constexpr char kInvalidUseOfNull[] = "Invalid use of Null";

// One of those errors with its words: InvalidCall, Overflow, TypeMismatch
// or InvalidUseOfNull.
inline AppError classicError(int number)
{
    const char *words = number == ErrNo::InvalidCall    ? kInvalidCall
                        : number == ErrNo::Overflow     ? kOverflow
                        : number == ErrNo::TypeMismatch ? kTypeMismatchWords
                                                        : kInvalidUseOfNull;
    return AppError(number, QString::fromLatin1(words));
}

// An empty (Null) value where a text or number is needed.
inline AppError invalidUseOfNull()
{
    return classicError(ErrNo::InvalidUseOfNull);
}
