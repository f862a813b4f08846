#include "Windows.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>

#include <gtest/gtest.h>

namespace {

TEST(WindowsCodePage, LocaleIsJapanese) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetOEMCP(), 932u);
    EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
    EXPECT_EQ(GetSystemDefaultLCID(), 0x0411u);
}

TEST(WindowsCodePage, LeadBytes) {
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0x9F));
    EXPECT_FALSE(IsDBCSLeadByte(0xA0));
    EXPECT_FALSE(IsDBCSLeadByte(0xDF));  // half-width katakana are single bytes
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_TRUE(IsDBCSLeadByte(0xFC));
    EXPECT_FALSE(IsDBCSLeadByte(0xFD));
}

TEST(WindowsCodePage, SurrogatesGiveOneQuestionMarkPerCodePoint) {
    const QString pair = QString::fromUcs4(U"a\U0001F600b");
    EXPECT_EQ(WideToAnsi(pair), QByteArray("a?b"));
    QString lone;
    lone += QChar(0xD800);  // a high surrogate with nothing after it
    EXPECT_EQ(WideToAnsi(lone), QByteArray("?"));
    lone = QString(QChar(0xDC00)) + QLatin1Char('x') + QChar(0xD83D);
    EXPECT_EQ(WideToAnsi(lone), QByteArray("?x?"));
}

TEST(WindowsCodePage, EmptyAndEmbeddedNul) {
    EXPECT_TRUE(WideToAnsi(QString()).isEmpty());
    EXPECT_TRUE(AnsiToWide(QByteArray()).isEmpty());
    const QString withNul = QString(QLatin1String("a\0b", 3));
    EXPECT_EQ(WideToAnsi(withNul), QByteArray("a\0b", 3));
    EXPECT_EQ(AnsiToWide(QByteArray("a\0b", 3)), withNul);
}

TEST(WindowsCodePage, RoundTripOfEveryDoubleByteCharacterOfRowEightyTwo) {
    // Hiragana 0x829F..0x82F1 come back unchanged.
    QByteArray bytes;
    for (int trail = 0x9F; trail <= 0xF1; ++trail) bytes += char(0x82), bytes += char(trail);
    const QString text = AnsiToWide(bytes);
    EXPECT_EQ(text.size(), 0xF1 - 0x9F + 1);
    EXPECT_EQ(text.front(), QChar(0x3041));
    EXPECT_EQ(WideToAnsi(text), bytes);
}

TEST(WindowsCodePage, LongTextKeepsItsLength) {
    const QString text = QString(QStringLiteral("漢字かなｶﾅABC")).repeated(10000);
    const QByteArray bytes = WideToAnsi(text);
    EXPECT_EQ(bytes.size(), (4 * 2 + 2 + 3) * 10000);
    EXPECT_EQ(AnsiToWide(bytes), text);
}

TEST(WindowsCodePage, ConvertersWorkOnOtherThreads) {
    QByteArray fromThread;
    std::thread t([&] { fromThread = WideToAnsi(QStringLiteral("①")); });
    t.join();
    EXPECT_EQ(fromThread, QByteArray("\x87\x40"));
}

TEST(WindowsMulDiv, FontSizeConversions) {
    // size = -MulDiv(height, 72, 96) and back.
    EXPECT_EQ(-MulDiv(-13, 72, 96), 10);   // 9.75 rounds up
    EXPECT_EQ(-MulDiv(-15, 72, 96), 11);   // 11.25
    EXPECT_EQ(-MulDiv(10, 96, 72), -13);   // 13.33
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);       // -1.5 away from zero
    EXPECT_EQ(MulDiv(3, -1, -2), 2);
    EXPECT_EQ(MulDiv(INT32_MIN, 1, -1), -1);  // 2^31 does not fit
    EXPECT_EQ(MulDiv(INT32_MIN, INT32_MIN, INT32_MIN), INT32_MIN);
}

// Sleep waits without handling anything queued: a handler that sleeps is not
// entered again, nor its window freed, meanwhile.
TEST(WindowsSleep, WaitsWithoutHandlingQueuedWork) {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    Sleep(30);
    EXPECT_GE(clock.elapsed(), 30);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

}  // namespace
