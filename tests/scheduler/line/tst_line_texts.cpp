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
        const std::pair<quint32, const char*> numbered[] = {
            {0x80000001u, "Allocated"},   {0x80000003u, "Bearer Mode Unavail"}, {0x80000005u, "Call UnAvail"},
            {0x80000024u, "Invalid Device Handle"}, {0x80000026u, "Invalid Digit List"},
            {0x80000030u, "Invalid Message ID"},    {0x80000032u, "Invalid Param"}, {0x80000056u, "No Multiple Instance"}};
        for (const auto& [code, text] : numbered)
            QCOMPARE(LineErrorText(lineerr::code(code)), QString::fromLatin1(text));
        // The codes the modem line itself returns read as TAPI's would.
        const std::pair<qint32, const char*> named[] = {
            {lineerr::NODEVICE, "No Device"}, {lineerr::OPERATIONFAILED, "Operation Failed"}, {lineerr::INUSE, "In Use"},
            {lineerr::RESOURCEUNAVAIL, "Resource Unavailable"}, {lineerr::UNINITIALIZED, "Uninitialized"},
            {lineerr::BADDEVICEID, "Bad Device ID"}};
        for (const auto& [code, text] : named)
            QCOMPARE(LineErrorText(code), QString::fromLatin1(text));
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
