// Calibration ranges, status rows and the conversion of the operator's numbers.
#include "acquisition/aitypes.h"
#include "calibration/calranges.h"

#include <QTest>
#include <clocale>

using namespace nuv;

class TstCalRanges : public QObject {
    Q_OBJECT
private slots:
    void codesUnitsAndRows()
    {
        // Each offered range is the acquisition range of its code, under the same name and in
        // the same unit, except that thermocouples take a millivolt signal.
        for (int j = 0; j < kCalRangeCount; ++j) {
            const uint32_t code = CalRangeCode(j);
            QCOMPARE(CalRangeIndex(code), j);
            QCOMPARE(QString::fromUtf8(CalRangeAt(j).name), RangeName(int(code)));
            const QString unit = IsThermocouple(code) ? QStringLiteral("mV") : RangeUnitText(code);
            QCOMPARE(CalRangeUnit(j), QLatin1Char('(') + unit + QLatin1Char(')'));
        }
        QCOMPARE(CalRangeIndex(13), 9);                        // R and S only of the thermocouples
        QCOMPARE(CalRangeIndex(14), 10);
        QCOMPARE(CalRangeIndex(9), -1);
        QCOMPARE(CalRangeIndex(15), -1);
        QCOMPARE(CalRangeUnit(11), QStringLiteral("(mV)"));
        QCOMPARE(CalRangeCode(11), 11u);                       // outside the table: its own code

        QCOMPARE(CalStatusRow(3, 14), 43);
        QCOMPARE(CalStatusRow(3, 5), 38);
        QCOMPARE(CalStatusRow(0, 0), 0);
        QCOMPARE(CalStatusRow(7, 14), kCalStatusRows - 1);
        QCOMPARE(CalStatusRow(2, 9), -1);    // type J is not calibrated here
        QCOMPARE(CalStatusRow(8, 0), -1);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("found");
        QTest::newRow("plain") << "5" << 5.0 << true;
        QTest::newRow("decimal") << "-2.5" << -2.5 << true;
        QTest::newRow("blanks and unit") << "  49.95mV" << 49.95 << true;
        QTest::newRow("exponent") << "1e1x" << 10.0 << true;
        QTest::newRow("comma stops") << "1,5" << 1.0 << true;
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("letters") << "abc" << 0.0 << false;
        QTest::newRow("sign only") << "-" << 0.0 << false;
        QTest::newRow("wide digits") << "５" << 0.0 << false;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, found);
        bool has = !found;
        QCOMPARE(ParseLeadingDouble(text, &has), value);
        QCOMPARE(has, found);
    }

    void decimalPointIgnoresOperatorLocale()
    {
        // A desktop in a comma locale must not turn "2.5" into 2.
        const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        if (set == nullptr)
            set = std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
        QCOMPARE(ParseLeadingDouble(QStringLiteral("2.5")), 2.5);
        std::setlocale(LC_NUMERIC, "C");
        if (set == nullptr)
            QSKIP("no comma locale installed; checked in the C locale only");
    }
};

QTEST_GUILESS_MAIN(TstCalRanges)
#include "tst_cal_ranges.moc"
