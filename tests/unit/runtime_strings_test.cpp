#include "common/Fixtures.h"
#include "runtime/Cp1252.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "runtime/TextFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace rt;

// The old functions' answers, including where they differ from Qt's (blanks only, counting from 1,
// case-blind search, lenient numbers, banker's rounding).
TEST(RuntimeStrings, TextFunctionsAnswerAsTheOldRunTimeDid)
{
    const std::pair<QString, QString> cases[] = {
        {trim(QStringLiteral("  a b \t ")), QStringLiteral("a b \t")},
        {trim(QStringLiteral("   ")), QString()},
        {left(QStringLiteral("Müller"), 2), QStringLiteral("Mü")},
        {right(QStringLiteral("abc"), 5), QStringLiteral("abc")},
        {mid(QStringLiteral("abcdef"), 3, 2), QStringLiteral("cd")},
        {mid(QStringLiteral("abc"), 9), QString()},
        {replaceCi(QStringLiteral("Len(a) + len(b)"), QStringLiteral("LEN("), QStringLiteral("LENGTH(")),
         QStringLiteral("LENGTH(a) + LENGTH(b)")},
        // Inserted text is not searched again.
        {replaceCi(QStringLiteral("aa"), QStringLiteral("a"), QStringLiteral("aa")), QStringLiteral("aaaa")},
        // Upper case keeps ß, so an upper-cased table name is still the server's name.
        {ucase(QStringLiteral("Maße_größe")), QStringLiteral("MAßE_GRÖßE")},
        {ucase(QStringLiteral("x\U00010428é")), QStringLiteral("X\U00010400É")},
        {durationText(86400 + 3600), QStringLiteral("31.12.1899 01:00:00")},
    };
    for (const auto& [got, expected] : cases)
        EXPECT_EQ(got, expected);
    EXPECT_EQ(instr(QStringLiteral("SELECT DistinctRow x"), QStringLiteral("DISTINCTROW")), 8);
    EXPECT_EQ(instr(QStringLiteral("abcabc"), QStringLiteral("b"), 3), 5);
    EXPECT_EQ(instr(QStringLiteral("abc"), QStringLiteral("a")), 1);
    EXPECT_EQ(instr(QStringLiteral("abc"), QStringLiteral("B"), 1, Qt::CaseSensitive), 0);
    for (qint64 v : {qint64(0), qint64(-7), qint64(1234567890123), std::numeric_limits<qint64>::min(),
                     std::numeric_limits<qint64>::max()}) {
        const DecimalDigits d(v);
        EXPECT_EQ(QString::fromUtf16(d.data(), d.size()), QString::number(v));
    }
}

TEST(RuntimeNumbers, ValIsLenientAndRoundingIsTheBankers)
{
    const std::pair<const char*, double> vals[] = {{"  12abc", 12}, {"abc", 0}, {"\t-3.5x", -3.5},
                                                   {"1e3", 1000},   {"1e", 1},  {"", 0}};
    for (const auto& [text, expected] : vals)
        EXPECT_EQ(val(QString::fromLatin1(text)), expected) << text;
    const std::pair<double, int> rounded[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {32767.4, 32767}};
    for (const auto& [value, expected] : rounded)
        EXPECT_EQ(toInt16(value), expected) << value;
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
}

TEST(RuntimeStrings, InvalidArgumentsAndOverflowRaiseTheirNumbers)
{
    const std::pair<std::function<void()>, int> cases[] = {
        {[] { left(QStringLiteral("a"), -1); }, err::InvalidCall},
        {[] { mid(QStringLiteral("a"), 0); }, err::InvalidCall},
        {[] { toInt16(32767.5); }, err::Overflow},
        {[] { toInt32(2147483648.0); }, err::Overflow},
    };
    for (const auto& [call, number] : cases) {
        try {
            call();
            ADD_FAILURE() << "no failure for " << number;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), number);
        }
    }
}

TEST(RuntimeNumbers, CurrencyTextsKeepTheirPrecisionWithADecimalPoint)
{
    const struct {
        NumberText text;
        const char* expected;
    } cases[] = {
        {NumberText::ofCurrency(35000), "3.5"},
        {NumberText::ofCurrency(120000), "12"},
        {NumberText::ofCurrency(-1), "-0.0001"},
        {NumberText::ofCurrency(0), "0"},
        {NumberText::ofCurrency(10), "0.001"},
        {NumberText::ofCurrency(std::numeric_limits<qint64>::min()), "-922337203685477.5808"},
        {NumberText::ofCurrency(std::numeric_limits<qint64>::max()), "922337203685477.5807"},
        {NumberText::ofDouble(0), "0"},  // the comparison with printf below leaves zero out
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text.toString(), QLatin1String(c.expected));
}

TEST(RuntimeNumbers, NumberTextsMatchPrintfGeneralFormatWhereThatKeepsTheValue)
{
    // The old run time's texts are printf's %.15g / %.7g; where those read back as another value,
    // the fewest further digits (up to %.17g / %.9g) that keep it.
    auto expectedText = [](double v, int digits, int maxDigits, bool single) {
        char text[64];
        for (int d = digits; d <= maxDigits; ++d) {
            std::snprintf(text, sizeof text, "%.*G", d, v);
            const double back = std::strtod(text, nullptr);
            if (single ? float(back) == float(v) : back == v)
                break;
        }
        return QString::fromLatin1(text);
    };
    quint64 x = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        double d = 0;
        std::memcpy(&d, &x, sizeof d);
        if (!std::isfinite(d) || d == 0)
            continue;
        if (i % 2)
            d = double(qint64(x % 100000000)) / 100.0;  // money-like values
        const QString expected = expectedText(d, 15, 17, false);
        ASSERT_EQ(NumberText::ofDouble(d).toString(), expected) << expected.toStdString();
        if (std::isfinite(float(d)) && float(d) != 0) {
            const QString expectedSingle = expectedText(double(float(d)), 7, 9, true);
            ASSERT_EQ(NumberText::ofSingle(float(d)).toString(), expectedSingle) << expectedSingle.toStdString();
        }
    }
}

TEST(RuntimeCp1252, RoundTripsTheWholeCodePage)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
    EXPECT_EQ(toCp1252(QStringLiteral("Ä€’")), QByteArray("\xC4\x80\x92"));
    EXPECT_EQ(toCp1252(QStringLiteral("中")), QByteArray("?"));
}

TEST(RuntimeTextFile, EveryLineEndEndsOneLine)
{
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},  // the last line needs no end
        {"a\r\n\r\n\nb", {"a", "", "", "b"}},
        {"a\r\r\nb\n\rc", {"a", "", "b", "", "c"}},
        {"\xC4\x80\r\n", {QStringLiteral("Ä€")}},
        {"", {}},
    };
    const QString path = testsupport::tempFolder() + QStringLiteral("/zeilen.txt");
    for (const auto& c : cases) {
        Cp1252LineReader reader(testsupport::writeFile(path, c.bytes));
        QStringList lines;
        while (!reader.atEnd())
            lines << reader.readLine();
        EXPECT_EQ(lines, c.lines) << c.bytes.toHex().toStdString();
        EXPECT_EQ(reader.position(), c.bytes.size());
        try {
            reader.readLine();
            FAIL() << "read past the end";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::InputPastEnd);
        }
    }
}
