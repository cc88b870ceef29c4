#include "src/app/messagebox.h"
#include "src/browse/datawidget.h"
#include "src/monitor/ui/activeprogramwidget.h"
#include "src/report/reportwriter.h"
#include "src/report/ui/reportpage.h"
#include "src/report/ui/reportview.h"
#include "tests/support/modalanswer.h"

#include <QClipboard>
#include <QFrame>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QtTest>

namespace
{
QString Field(const QWidget &panel, const char *name)
{
    const QLineEdit *field = panel.findChild<QLineEdit *>(QLatin1String(name));
    return field ? field->text() : QStringLiteral("<no field>");
}
} // namespace

class TTestViews : public QObject
{
    Q_OBJECT

private slots:
    void Panel_Reset_Keeps_The_Indicator();
    void List_Filters_By_Regular_Expression_data();
    void List_Filters_By_Regular_Expression();
    void Message_Box_Keeps_Its_Width();
    void Report_Lines_data();
    void Report_Lines();
    void Report_Writer_Widens_Once();
    void Report_View_Selects_Copies_And_Finds();
};

void TTestViews::Panel_Reset_Keeps_The_Indicator()
{
    TActiveProgramWidget panel;
    panel.Set_Program_Name(QStringLiteral("BRACKET_A"));
    panel.Set_Point_Count(12);
    panel.Add_Message(QStringLiteral("INF:  line"));
    panel.Set_Times(5, 2, 3);
    panel.Set_Collection_Active(true);
    panel.Reset();
    QFrame *indicator = panel.findChild<QFrame *>(QStringLiteral("collection_indicator"));
    QCOMPARE(indicator->styleSheet(), QStringLiteral("background-color: rgb(0, 128, 0);"));
    QCOMPARE(Field(panel, "program_name") + Field(panel, "point_count") + Field(panel, "open_time") +
                 Field(panel, "execution_time") + Field(panel, "idle_time"),
             QStringLiteral("0000"));
    QVERIFY(panel.findChild<QPlainTextEdit *>(QStringLiteral("messages"))->toPlainText().isEmpty());
    panel.Set_Collection_Active(false);
    QCOMPARE(indicator->styleSheet(), QString());
}

void TTestViews::List_Filters_By_Regular_Expression_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("shown");
    const QStringList all{"Bracket", "bolt", "", "HOUSING", "axle.b"};
    QTest::newRow("empty shows all") << "" << all;
    QTest::newRow("full stop matches non-empty")
        << "." << QStringList{"Bracket", "bolt", "HOUSING", "axle.b"};
    QTest::newRow("caret anchors, any case") << "^b" << QStringList{"Bracket", "bolt"};
    QTest::newRow("unanchored, any case") << "SING" << QStringList{"HOUSING"};
    QTest::newRow("escaped dot") << "\\.b" << QStringList{"axle.b"};
}

void TTestViews::List_Filters_By_Regular_Expression()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, shown);
    TDataWidget list;
    list.Set_List({"Bracket", "bolt", "", "HOUSING", "axle.b"});
    QLineEdit *search = list.findChild<QLineEdit *>();
    QVERIFY(search);
    // Typed as the user would: only edits filter.
    QTest::keyClicks(search, pattern);
    QAbstractItemModel *model = list.findChild<QListView *>()->model();
    QStringList visible;
    for (int row = 0; row < model->rowCount(); ++row)
        visible << model->index(row, 0).data().toString();
    QCOMPARE(visible, shown);

    // The search stays for the next list.
    list.Set_List({"Bearing", "Cam"});
    if (pattern == QLatin1String("^b"))
        QCOMPARE(model->rowCount(), 1);
}

void TTestViews::Message_Box_Keeps_Its_Width()
{
    TMessageBox box;
    box.Set_Text(QStringLiteral("<i>Quorvex</i>"));
    box.Set_Informative_Text(QString(400, QLatin1Char('w')));
    QCOMPARE(box.text(),
             QStringLiteral(
                 "<span style=\"font-size:10pt; font-weight:600; color:#000000;\" ><i>Quorvex</i></span>"));
    int shown_width = 0;
    TModalAnswer answer(
        [&](QWidget *modal)
        {
            shown_width = modal == &box ? modal->width() : -1;
            box.Post_Key(Qt::Key_Escape);
        });
    box.exec();
    QVERIFY(answer.Answered());
    QCOMPARE(shown_width, 500);
    box.show();
    box.resize(900, 300);
    QCOMPARE(box.width(), 500);
}

void TTestViews::Report_Lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("longest");
    QTest::newRow("empty") << "" << QStringList{""} << 0;
    QTest::newRow("one line") << "abc" << QStringList{"abc"} << 3;
    QTest::newRow("ending in a break") << "ab\ncdef\n" << QStringList{"ab", "cdef", ""} << 4;
    QTest::newRow("empty lines between") << "\n\nx" << QStringList{"", "", "x"} << 1;
}

// The same lines whether the text is kept a byte a character or two.
void TTestViews::Report_Lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    for (const TReportLines &report : {TReportLines(text), TReportLines::From_Latin1(text.toLatin1())})
    {
        QStringList read;
        for (int line = 0; line < report.Line_Count(); ++line)
        {
            read << report.Line(line);
            QCOMPARE(report.Line_Of(report.Line_Start(line)), line);
        }
        QCOMPARE(read, lines);
        QTEST(report.Longest_Line(), "longest");
        QCOMPARE(report.Line_Of(text.size()), report.Line_Count() - 1);
        QCOMPARE(report.Text(), text);
        QCOMPARE(report.Size(), text.size());
        QCOMPARE(report.Index_Of(QStringLiteral("CD"), 0), text.indexOf(QStringLiteral("cd")));
        QCOMPARE(report.Mid(1, 3), text.mid(1, 3));
        QCOMPARE(report.Latin1(1, 100), text.mid(1, 100).toLatin1());
    }
}

// A character beyond Latin-1 midway: what was written so far is widened, nothing is lost.
void TTestViews::Report_Writer_Widens_Once()
{
    TReportWriter writer(8);
    const QString greek = QStringLiteral("\u03b1\u03b2\u03b3");
    writer.Line(QStringLiteral("Name: "), QStringLiteral("Flansch \u00e9"));
    writer.Number_Line(QStringLiteral("Count: "), 42, 5);
    writer.Line(QStringLiteral("Name: "), greek);
    writer.Time_Line(QStringLiteral("Time: "), 125, 4);
    writer.Append(QString(5000, QLatin1Char('x')));
    const TReportLines report = writer.Take();
    const QString expected = QStringLiteral("Name: Flansch \u00e9\nCount:    42\nName: ") + greek +
                             QStringLiteral("\nTime:    2:05 min:sec\n") + QString(5000, QLatin1Char('x'));
    QCOMPARE(report.Text(), expected);
    QCOMPARE(report.Line(2), QStringLiteral("Name: ") + greek);
    QCOMPARE(report.Index_Of(QStringLiteral("\u0391\u0392"), 0), expected.indexOf(greek));
    QCOMPARE(report.Latin1(0, 20), expected.left(20).toLatin1());
    TReportWriter latin(1);
    latin.Line(QStringLiteral("Name: "), QStringLiteral("Flansch \u00e9"));
    QCOMPARE(latin.Take().Text(), QStringLiteral("Name: Flansch \u00e9\n"));
}

void TTestViews::Report_View_Selects_Copies_And_Finds()
{
    QString text;
    for (int line = 0; line < 5000; ++line)
        text += line == 2500 ? QStringLiteral("Axis x tolerance\n")
                             : QStringLiteral("Program Name:  PART_%1\n").arg(line);
    text += QStringLiteral("Axis X limit reached");
    TReportPage page;
    TReportView *view = page.View();
    view->Set_Text(text);
    page.resize(600, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    // A click and a shift-click select what lies between them.
    const QFontMetricsF metrics(view->font());
    const int y = int(metrics.lineSpacing() / 2) + 2;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(4, y));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(4 + int(7 * metrics.horizontalAdvance(QLatin1Char('M'))), y));
    QCOMPARE(view->Selected_Text(), QStringLiteral("Program"));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Program"));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->Selected_Text(), text);

    // Ctrl+F, a text in any case, Enter: found and scrolled to; again: the next one, wrapping round
    // after the last (the two occurrences tell themselves apart by their case).
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(4, y));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QLineEdit *find = page.findChild<QLineEdit *>(QStringLiteral("find_text"));
    QVERIFY(find->isVisible() && find->hasFocus());
    QTest::keyClicks(find, QStringLiteral("axis x"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(view->Selected_Text(), QStringLiteral("Axis x"));
    QVERIFY(view->First_Visible_Line() > 2400 && view->First_Visible_Line() <= 2500);
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(view->Selected_Text(), QStringLiteral("Axis X"));
    QVERIFY(view->First_Visible_Line() > 4900);
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(view->Selected_Text(), QStringLiteral("Axis x"));
    QVERIFY(view->First_Visible_Line() <= 2500);
    find->setText(QStringLiteral("nowhere"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(view->Selected_Text(), QStringLiteral("Axis x"));
    QTest::keyClick(find, Qt::Key_Escape);
    QVERIFY(!find->isVisible());
}

QTEST_MAIN(TTestViews)
#include "tst_views.moc"
