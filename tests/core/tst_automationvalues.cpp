#include "core/automation.h"
#include "sim/widetext.h"

#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>

using TArg = TAutomation::TArg;
Q_DECLARE_METATYPE(TAutomation::TArg)

namespace
{
int g_int = -7;
double g_double = 2.75;
}

// The automation value: its accessor table and its three VARIANT conversions.
class TTestAutomationValues : public QObject
{
    Q_OBJECT

private slots:
    void Accessor_Table_data();
    void Accessor_Table();
    void Out_Of_Range_Numbers_Saturate();
    void String_Lists();
    void Event_Argument_Conversion_data();
    void Event_Argument_Conversion();
    void Result_Conversion();
};

void TTestAutomationValues::Accessor_Table_data()
{
    QTest::addColumn<TArg>("arg");
    QTest::addColumn<bool>("to_bool");
    QTest::addColumn<int>("to_int");
    QTest::addColumn<double>("to_double");
    QTest::addColumn<QString>("to_string");

    QTest::newRow("empty") << TArg() << false << 0 << 0.0 << QString();
    QTest::newRow("bool true") << TArg(true) << true << 1 << 1.0 << "true";
    QTest::newRow("int -5") << TArg(-5) << true << -5 << -5.0 << "-5";
    QTest::newRow("double -2.9") << TArg(-2.9) << true << -2 << -2.9 << "-2.9";
    QTest::newRow("double 1234567") << TArg(1234567.0) << true << 1234567 << 1234567.0 << "1.23457e+06";
    QTest::newRow("double NaN is true") << TArg(std::nan("")) << true << 0 << std::nan("") << "nan";
    QTest::newRow("float 3.14159274") << TArg(3.14159274f) << true << 3 << double(3.14159274f) << "3.14159";
    QTest::newRow("text false is true") << TArg(QStringLiteral("false")) << true << 0 << 0.0 << "false";
    QTest::newRow("text 12abc") << TArg("12abc") << true << 0 << 0.0 << "12abc";
    QTest::newRow("text 42") << TArg("42") << true << 42 << 42.0 << "42";
    QTest::newRow("empty text") << TArg(QString()) << false << 0 << 0.0 << QString();
    QTest::newRow("null char pointer") << TArg(static_cast<const char *>(nullptr)) << false << 0 << 0.0 << QString();
    QTest::newRow("string list") << TArg(QStringList{"a"}) << false << 0 << 0.0 << QString();
    QTest::newRow("int pointer") << TArg(&g_int) << true << -7 << -7.0 << QString();
    QTest::newRow("double pointer") << TArg(&g_double) << true << 0 << 2.75 << QString();
    QTest::newRow("null dispatch") << TArg(static_cast<IDispatch *>(nullptr)) << false << 0 << 0.0 << QString();
}

void TTestAutomationValues::Accessor_Table()
{
    QFETCH(TArg, arg);
    QFETCH(double, to_double);
    QTEST(arg.ToBool(), "to_bool");
    QTEST(arg.ToInt(), "to_int");
    if (std::isnan(to_double))
        QVERIFY(std::isnan(arg.ToDouble()));
    else
        QCOMPARE(arg.ToDouble(), to_double);
    QFETCH(QString, to_string);
    QCOMPARE(arg.ToString(), to_string);
    QCOMPARE(arg.ToString().isNull(), to_string.isNull());
}

void TTestAutomationValues::Out_Of_Range_Numbers_Saturate()
{
    QCOMPARE(TArg(1e12).ToInt(), INT_MAX);
    QCOMPARE(TArg(-1e12).ToInt(), INT_MIN);
    QCOMPARE(TArg(3e9f).ToInt(), INT_MAX);
    QCOMPARE(TArg(std::nanf("")).ToInt(), 0);
    QCOMPARE(TArg(-2147483648.9).ToInt(), INT_MIN);
    QVERIFY(std::isinf(TArg(1e300).ToFloat()));
    QCOMPARE(TArg(&g_double).ToFloat(), 2.75f);
}

void TTestAutomationValues::String_Lists()
{
    const TArg list(QStringList{"x", "y", "z"});
    QCOMPARE(list.StringCount(), 3);
    QCOMPARE(list.StringAt(1), QStringLiteral("y"));
    QVERIFY(list.StringAt(-1).isNull());
    QVERIFY(list.StringAt(3).isNull());
    QVERIFY(TArg("x").StringAt(0).isNull());
}

void TTestAutomationValues::Event_Argument_Conversion_data()
{
    QTest::addColumn<int>("vt");
    QTest::addColumn<qint64>("payload");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("VT_I2 -1 sign-extended") << int(VT_I2) << qint64(0xFFFF) << true << int(TArg::TYPE_INT) << "-1";
    QTest::newRow("VT_I4") << int(VT_I4) << qint64(77) << true << int(TArg::TYPE_INT) << "77";
    QTest::newRow("VT_BOOL") << int(VT_BOOL) << qint64(0xFFFF) << true << int(TArg::TYPE_BOOL) << "true";
    QTest::newRow("VT_NULL empties") << int(VT_NULL) << qint64(0) << false << int(TArg::TYPE_EMPTY) << QString();
    QTest::newRow("VT_EMPTY empties") << int(VT_EMPTY) << qint64(0) << false << int(TArg::TYPE_EMPTY) << QString();
    QTest::newRow("VT_ERROR other code keeps") << int(VT_ERROR) << qint64(0x80004005) << false << int(TArg::TYPE_INT)
                                               << "9";
    QTest::newRow("VT_I8 unsupported keeps") << int(VT_I8) << qint64(5) << false << int(TArg::TYPE_INT) << "9";
}

void TTestAutomationValues::Event_Argument_Conversion()
{
    QFETCH(int, vt);
    QFETCH(qint64, payload);
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VARTYPE(vt);
    variant.llVal = payload;
    TArg param(9);
    QTEST(TAutomation::VariantToArg(&variant, &param), "converted");
    QTEST(int(param.type), "type");
    QFETCH(QString, text);
    QCOMPARE(param.ToString(), text);

    VARIANT text_variant;
    VariantInit(&text_variant);
    text_variant.vt = VT_BSTR;
    text_variant.bstrVal = nullptr;
    QVERIFY(TAutomation::VariantToArg(&text_variant, &param));
    QCOMPARE(param.type, TArg::TYPE_STRING);
    QVERIFY(param.string.isNull());
}

void TTestAutomationValues::Result_Conversion()
{
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_I1;
    result.bVal = 0xFF;
    TArg value = TAutomation::Result_To_Arg(&result);
    QCOMPARE(value.type, TArg::TYPE_INT);
    QCOMPARE(value.ToInt(), 255);

    result.vt = VT_BSTR;
    result.bstrVal = SysAllocString(TWideText::Of(QStringLiteral("report")));
    value = TAutomation::Result_To_Arg(&result);
    QCOMPARE(value.ToString(), QStringLiteral("report"));
    QCOMPARE(int(result.vt), int(VT_EMPTY));

    // An array result is not wanted, but its memory must still be freed (the leak checker watches).
    SAFEARRAYBOUND bound = {2, 0};
    result.vt = VT_ARRAY | VT_VARIANT;
    result.parray = SafeArrayCreate(VT_VARIANT, 1, &bound);
    QCOMPARE(TAutomation::Result_To_Arg(&result).type, TArg::TYPE_EMPTY);
}

QTEST_GUILESS_MAIN(TTestAutomationValues)
#include "tst_automationvalues.moc"
