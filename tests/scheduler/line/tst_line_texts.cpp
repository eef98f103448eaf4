#include "platform/modem/modem_line_errors.h"
#include "scheduler/line/line_error_text.h"
#include "scheduler/line/status_lines.h"

#include <QtTest>

using namespace torvex;

class TestLineTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorTextsFollowTapisNumbering()
    {
        QCOMPARE(LineErrorText(lineerr::code(0x80000001u)), QStringLiteral("Allocated"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000003u)), QStringLiteral("Bearer Mode Unavail"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000005u)), QStringLiteral("Call UnAvail"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000024u)), QStringLiteral("Invalid Device Handle"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000026u)), QStringLiteral("Invalid Digit List"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000030u)), QStringLiteral("Invalid Message ID"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000032u)), QStringLiteral("Invalid Param"));
        QCOMPARE(LineErrorText(lineerr::code(0x80000056u)), QStringLiteral("No Multiple Instance"));
        // The codes the modem line itself returns read as TAPI's would.
        QCOMPARE(LineErrorText(lineerr::NODEVICE), QStringLiteral("No Device"));
        QCOMPARE(LineErrorText(lineerr::OPERATIONFAILED), QStringLiteral("Operation Failed"));
        QCOMPARE(LineErrorText(lineerr::INUSE), QStringLiteral("In Use"));
        QCOMPARE(LineErrorText(lineerr::RESOURCEUNAVAIL), QStringLiteral("Resource Unavailable"));
        QCOMPARE(LineErrorText(lineerr::UNINITIALIZED), QStringLiteral("Uninitialized"));
        QCOMPARE(LineErrorText(lineerr::BADDEVICEID), QStringLiteral("Bad Device ID"));
    }

    void gapsAndStrangersHaveNoText()
    {
        for (quint32 code : {0x80000004u, 0x80000025u, 0x80000031u, 0x80000000u, 0x80000057u, 0u, 1u,
                             0xFFFFFFFFu})
            QVERIFY2(LineErrorText(lineerr::code(code)).isEmpty(), qPrintable(QString::number(code, 16)));
        int withText = 0;
        for (quint32 code = 0x80000001u; code <= 0x80000056u; ++code)
            withText += LineErrorText(lineerr::code(code)).isEmpty() ? 0 : 1;
        QCOMPARE(withText, 0x56 - 3);
    }

    void statusLinesComeNewestFirst()
    {
        QString box = prependedStatusLine(QString(), QStringLiteral("LineOpen Successful"));
        box = prependedStatusLine(box, QStringLiteral("Waiting for an incoming call..."));
        QCOMPARE(box, QStringLiteral("Waiting for an incoming call...\nLineOpen Successful\n"));
    }

    void statusBoxKeepsItsNewestLines()
    {
        QString box;
        for (int i = 1; i <= kStatusLineLimit + 5; ++i)
            box = prependedStatusLine(box, QString::number(i));
        const QStringList lines = box.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), kStatusLineLimit);
        QCOMPARE(lines.first(), QString::number(kStatusLineLimit + 5));
        QCOMPARE(lines.last(), QStringLiteral("6"));
    }
};

QTEST_GUILESS_MAIN(TestLineTexts)
#include "tst_line_texts.moc"
