#pragma once
#include <QString>
#include <exception>
#include <string>

namespace rt {

// Failure numbers. Up to 1000: the program's own run time; above 1000: the data-access layers.
namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int InputPastEnd = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int ObjectNotSet = 91;
inline constexpr int PathNotFound = 76;
// Access database layer
inline constexpr int AccessFileNotFound = 3024;
inline constexpr int AccessObjectNotFound = 3011;
inline constexpr int AccessDamaged = 3049;
inline constexpr int AccessNotAnAccessFile = 3343;
inline constexpr int AccessItemNotFound = 3265;
inline constexpr int AccessNoCurrentRecord = 3021;
inline constexpr int AccessCannotOpenLinked = 3055;
// SQL connection layer: every ODBC failure
inline constexpr int Odbc = 40002;
}  // namespace err

// A failure with number, source and description, as the old run time raised them.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, QString source, QString description)
        : number_(number),
          source_(std::move(source)),
          description_(std::move(description)),
          what_(description_.toStdString())
    {}

    int number() const noexcept { return number_; }
    const QString& source() const noexcept { return source_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString source_;
    QString description_;
    std::string what_;
};

// The run time's own failures with their classic texts.
RuntimeError runtimeFailure(int number, const QString& source = QStringLiteral("Dorvex"));

}  // namespace rt
