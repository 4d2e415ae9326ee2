#pragma once
#include <QString>
#include <QTime>

// String and number functions with the semantics the system was written against.
// Positions are 1-based and lengths count UTF-16 units, as QString does.
namespace rt {

QString trim(const QString& s);  // removes blanks (U+0020) only, not tabs or line breaks
QString ltrim(const QString& s);
QString rtrim(const QString& s);

QString left(const QString& s, int n);                      // n < 0 raises 5
QString right(const QString& s, int n);                     // n < 0 raises 5
QString mid(const QString& s, int start, int length = -1);  // start < 1 raises 5; length -1 = to the end

// Upper case one character at a time, as the old run time had it: ß stays ß ("Maße" is "MAßE",
// never "MASSE"), so a name keeps its length.
QString ucase(const QString& s);

// 1-based position of find in s from start, 0 when absent; case-insensitive unless told otherwise.
int instr(const QString& s, const QString& find, int start = 1, Qt::CaseSensitivity cs = Qt::CaseInsensitive);
bool containsCi(const QString& s, const QString& find);
// Replaces every occurrence, ignoring case, scanning left to right without rescanning inserted text.
QString replaceCi(const QString& s, const QString& find, const QString& with);

// Lenient number parse: leading blanks and tabs skipped, stops at the first character that cannot
// continue a number, no digits gives 0. Accepts sign, decimal point and exponent.
double val(const QString& s);

// Rounding to whole numbers with banker's rounding; out of range raises 6 (overflow).
qint16 toInt16(double v);
qint32 toInt32(double v);

// The decimal digits of a whole number in a buffer of its own, for texts written per row
// without a temporary string.
class DecimalDigits {
public:
    explicit DecimalDigits(qint64 v);
    const char16_t* data() const { return buf_ + at_; }
    qsizetype size() const { return qsizetype(sizeof buf_ / sizeof buf_[0]) - at_; }

private:
    char16_t buf_[20];  // 19 digits and the sign of the most negative number
    int at_;
};

// A number as the old run time printed it, with a decimal point, in a buffer of its own (SQL texts
// are written per row). Single to 7 significant digits, Double to 15, more (up to 9 / 17) only
// where those would not read back as the same value, both as "1E+300"/"-1E-05" beyond; Currency
// (held in ten-thousandths) exact without trailing zeros: "3.5", "12", "-0.0001".
class NumberText {
public:
    static NumberText ofSingle(float v);
    static NumberText ofDouble(double v);
    static NumberText ofCurrency(qint64 tenThousandths);
    const char16_t* data() const { return buf_; }
    qsizetype size() const { return n_; }
    QString toString() const { return QString::fromUtf16(buf_, n_); }

private:
    NumberText() = default;
    char16_t buf_[32];  // "-1.7976931348623157E+308", "-922337203685477.5808"
    qsizetype n_ = 0;
};

QString format000(qint64 n);  // at least three digits: 1 -> "001", 1000 -> "1000"

// "HH:MM:SS" time of day.
QString timeText(const QTime& t);
// A span of seconds shown as a time of day; a day or more is shown as the date/time value
// it would be (days counted from 1899-12-30), in the general date format.
QString durationText(qint64 seconds);
// General date format: "dd.MM.yyyy hh:mm:ss" (the date alone when the time is midnight).
QString generalDateText(const QDateTime& dt);

}  // namespace rt
