#include "src/app/quorvex.h"
#include "src/browse/datawidget.h"
#include "src/database/database.h"
#include "src/export/exportjob.h"
#include "src/report/ui/reportview.h"
#include "tests/support/listclicks.h"
#include "tests/support/modalanswer.h"
#include "tests/support/shownform.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

namespace
{
TExecution Record(const QString &name, const QDateTime &when, int points, const QStringList &messages = {})
{
    TExecution item;
    item.Set_Name(name);
    item.Set_Revision(QStringLiteral("R1"));
    item.Set_Date_Time(when);
    item.Set_Execution_Time(60 + points);
    item.Set_Idle_Time(5);
    item.Set_Point_Count(points);
    for (const QString &message : messages)
        item.Add_Error_Message(message);
    return item;
}

const QDate MARCH_5(2024, 3, 5);
const QDate MARCH_6(2024, 3, 6);
const QString COVER = QStringLiteral("Cover, \"left\"");
const QString FLANGE = QStringLiteral("Flansch\u20ac");

QAction *Action(QWidget *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

void Select(TDataWidget *list, const QStringList &texts)
{
    TListClicks::Select(list, texts);
}

QByteArray Read(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<cannot read>");
}

// Exports are written as text: on Windows every line ends with CR LF.
QByteArray Read_Text(const QString &file)
{
    QByteArray text = Read(file);
#ifdef _WIN32
    if (text.count('\n') != text.count("\r\n"))
        return "<a line without CR LF>";
    text.replace("\r\n", "\n");
#endif
    return text;
}
} // namespace

// Browsing and exporting through the real window, on a file of known entries.
class TTestReports : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Selection_Shows_The_Report();
    void Report_Follows_The_Latest_Selection();
    void Close_Waits_For_The_Report();
    void Export_All_CSV_Groups_By_Program();
    void Export_Selected_CSV_And_Text();
    void Export_Folder_Is_Remembered();
    void Cancelled_Export_Leaves_The_File_As_It_Was_data();
    void Cancelled_Export_Leaves_The_File_As_It_Was();

private:
    QString Export_Through_Dialog(const QString &action, const QString &file, QString *caption = nullptr,
                                  QString *folder = nullptr);
    TDataWidget *Dates() { return d_window->findChild<TDataWidget *>(QStringLiteral("date_list")); }
    TDataWidget *Programs() { return d_window->findChild<TDataWidget *>(QStringLiteral("program_list")); }
    QString Summary() { return d_window->findChild<TReportView *>(QStringLiteral("summary_view"))->Text(); }

    TTestHome *d_home = nullptr;
    TQuorvex *d_window = nullptr;
};

void TTestReports::init()
{
    d_home = new TTestHome;
    QDir().mkpath(d_home->Settings_Folder());
    TDatabase db;
    QVERIFY(db.Open(d_home->Settings_Folder() + QStringLiteral("/database.db")) && db.Create_Tables());
    const std::vector<TExecution> items{
        Record(QStringLiteral("BRACKET_A"), QDateTime(MARCH_5, QTime(14, 7, 9)), 48, {QStringLiteral("one")}),
        Record(QStringLiteral("HOUSING"), QDateTime(MARCH_5, QTime(15, 0, 0)), 10),
        Record(QStringLiteral("BRACKET_A"), QDateTime(MARCH_6, QTime(8, 0, 0)), 12,
               {QStringLiteral("two"), QStringLiteral("one")}),
        Record(COVER, QDateTime(MARCH_6, QTime(9, 0, 0)), 3, {QStringLiteral("line\nbreak, \"quoted\"")}),
        Record(FLANGE, QDateTime(MARCH_6, QTime(10, 0, 0)), 1),
    };
    for (const TExecution &item : items)
        QVERIFY(db.Add_Execution(item));
    QVERIFY(db.Add_Software_Monitor_Time(3725));
    db.Close();
    d_window = new TQuorvex;
}

void TTestReports::cleanup()
{
    if (d_window)
        d_window->close();
    delete d_window;
    d_window = nullptr;
    delete d_home;
}

void TTestReports::Selection_Shows_The_Report()
{
    QTabWidget *tabs = d_window->findChild<QTabWidget *>();
    // The programs of the chosen dates are read in the background; the list waits meanwhile.
    Select(Dates(), {QStringLiteral("2024 Mar 06")});
    QVERIFY(!Programs()->isEnabled());
    QTRY_VERIFY(Programs()->isEnabled());
    QCOMPARE(Programs()->findChild<QListView *>()->model()->rowCount(), 3);
    QTRY_COMPARE(Summary(), QStringLiteral("No summary available."));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(!Action(d_window, QStringLiteral("Export CSV"))->isEnabled());

    Select(Programs(), {QStringLiteral("BRACKET_A")});
    QVERIFY(Action(d_window, QStringLiteral("Export CSV"))->isEnabled());
    QVERIFY(Action(d_window, QStringLiteral("Export Text"))->isEnabled());
    QTRY_VERIFY(Summary().startsWith(QStringLiteral("Total Monitor Time:              62:05")));
    const QString report = Summary();
    QCOMPARE(report.count(QStringLiteral("Program Name:")), 1);
    QVERIFY(report.contains(
        TShownForm::Localised("Execution Date:                   2024 Mar 06 : 08 00 00 am")));
    QCOMPARE(tabs->currentIndex(), 1);

    // No date selected: the programs on all dates, date by date.
    Select(Dates(), {});
    QTRY_VERIFY(Programs()->isEnabled());
    Select(Programs(), {QStringLiteral("BRACKET_A"), QStringLiteral("HOUSING")});
    QTRY_VERIFY(Summary().contains(QStringLiteral("Program Count:                       3")));
    const QString all = Summary();
    const auto at = [&all](const char *english)
    {
        const int found = all.indexOf(TShownForm::Localised(QString::fromLatin1(english)));
        return found < 0 ? all.size() : found;
    };
    QVERIFY(at("2024 Mar 05 : 02 07 09 pm") < at("2024 Mar 05 : 03 00 00 pm"));
    QVERIFY(at("2024 Mar 05 : 03 00 00 pm") < at("2024 Mar 06 : 08 00 00 am"));
    QVERIFY(at("2024 Mar 06 : 08 00 00 am") < all.size());
}

// A selection made while a report is being built ends with the report of that
// selection, never with the stale one.
void TTestReports::Report_Follows_The_Latest_Selection()
{
    Select(Dates(), {QStringLiteral("2024 Mar 05"), QStringLiteral("2024 Mar 06")});
    QTRY_VERIFY(Programs()->isEnabled());
    QTRY_COMPARE(Summary(), QStringLiteral("No summary available."));
    Select(Programs(), {QStringLiteral("HOUSING")});
    Select(Programs(), {QStringLiteral("BRACKET_A")});
    Select(Programs(), {COVER});
    QCOMPARE(Summary(), QStringLiteral("Updating summary..."));
    QTRY_VERIFY(Summary() != QStringLiteral("Updating summary..."));
    QVERIFY2(Summary().contains(QStringLiteral("Program Name:                     ") + COVER),
             qPrintable(Summary()));
    QCOMPARE(Summary().count(QStringLiteral("Program Name:")), 1);
}

void TTestReports::Close_Waits_For_The_Report()
{
    Select(Dates(), {});
    QTRY_VERIFY(Programs()->isEnabled());
    Select(Programs(), {QStringLiteral("BRACKET_A")});
    QCOMPARE(Summary(), QStringLiteral("Updating summary..."));
    QVERIFY(d_window->close());
    delete d_window;
    d_window = nullptr;
}

QString TTestReports::Export_Through_Dialog(const QString &action, const QString &file, QString *caption,
                                            QString *folder)
{
    TModalAnswer answer(
        [&](QWidget *modal)
        {
            QFileDialog *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog)
                return modal->close(), void();
            if (caption)
                *caption =
                    dialog->windowTitle() + QLatin1Char('|') + dialog->nameFilters().join(QLatin1Char(';'));
            if (folder)
                *folder = dialog->directory().absolutePath();
            QLineEdit *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!name)
                return dialog->reject();
            name->setText(file);
            QTest::keyClick(name, Qt::Key_Return);
        });
    Action(d_window, action)->trigger();
    // The file is written in the background; the actions wait until it is done.
    if (!QTest::qWaitFor([this]()
                         { return Action(d_window, QStringLiteral("Export All CSV"))->isEnabled(); }))
        return QStringLiteral("<still exporting>");
    return answer.Answered() ? file : QString();
}

void TTestReports::Export_All_CSV_Groups_By_Program()
{
    const QString file = d_home->File_Path(QStringLiteral("all.csv"));
    QString caption;
    QCOMPARE(Export_Through_Dialog(QStringLiteral("Export All CSV"), file, &caption), file);
    QCOMPARE(caption, QStringLiteral("Export All to CSV|Comma Separated File (*.csv)"));
    QCOMPARE(
        Read_Text(file),
        TShownForm::Localised(
            "Name,Revision,Date,Time,Execution Time,Idle Time,Point Count,Error Message Count,Error "
            "Messages\n"
            "BRACKET_A,R1,05 Mar 2024,02 07 09 pm,108,5,48,1,one\n"
            "BRACKET_A,R1,06 Mar 2024,08 00 00 am,72,5,12,2,two,one\n"
            "HOUSING,R1,05 Mar 2024,03 00 00 pm,70,5,10,0\n"
            "\"Cover, \"\"left\"\"\",R1,06 Mar 2024,09 00 00 am,63,5,3,1,\"line\nbreak, \"\"quoted\"\"\"\n"
            "Flansch?,R1,06 Mar 2024,10 00 00 am,61,5,1,0\n")
            .toLatin1());
}

void TTestReports::Export_Selected_CSV_And_Text()
{
    Select(Dates(), {QStringLiteral("1999 Jan 01")});
    QTRY_VERIFY(Programs()->isEnabled());
    Select(Dates(), {QStringLiteral("2024 Mar 06")});
    QTRY_VERIFY(Programs()->isEnabled());
    Select(Programs(), {FLANGE});
    QTRY_VERIFY(Summary().contains(QStringLiteral("Program Count:")));
    const QString csv = d_home->File_Path(QStringLiteral("selected.csv"));
    QString caption;
    QCOMPARE(Export_Through_Dialog(QStringLiteral("Export CSV"), csv, &caption), csv);
    QCOMPARE(caption, QStringLiteral("Export Selected to CSV|Comma Separated File (*.csv)"));
    QCOMPARE(Read_Text(csv).split('\n').value(1),
             TShownForm::Localised("Flansch?,R1,06 Mar 2024,10 00 00 am,61,5,1,0").toLatin1());

    const QString txt = d_home->File_Path(QStringLiteral("report.txt"));
    QCOMPARE(Export_Through_Dialog(QStringLiteral("Export Text"), txt, &caption), txt);
    QCOMPARE(caption, QStringLiteral("Export Selected to TXT|Text File (*.txt)"));
    QCOMPARE(Read_Text(txt), Summary().toLatin1());
    QVERIFY(Read_Text(txt).contains("Program Name:                     Flansch?\n"));

    // Nothing to export gives an empty file, not a header alone.
    QVERIFY(TSqliteShell::Run(d_home->Settings_Folder() + QStringLiteral("/database.db"),
                              QStringLiteral("DELETE FROM program;\n")));
    const QString empty = d_home->File_Path(QStringLiteral("empty.csv"));
    QCOMPARE(Export_Through_Dialog(QStringLiteral("Export All CSV"), empty), empty);
    QVERIFY(QFile::exists(empty));
    QCOMPARE(Read(empty), QByteArray());
}

// The folder of the last complete export is where the next one starts, also
// after a restart; a failed one says so and changes nothing.
void TTestReports::Export_Folder_Is_Remembered()
{
    QDir(d_home->Path()).mkpath(QStringLiteral("exports/week 10"));
    const QString folder = d_home->File_Path(QStringLiteral("exports/week 10"));
    QString start;
    Export_Through_Dialog(QStringLiteral("Export All CSV"), folder + QStringLiteral("/a.csv"), nullptr,
                          &start);
    QCOMPARE(start, d_home->Path());
#ifdef _WIN32
    // No file may be named so on Windows.
    const QString target = d_home->File_Path(QStringLiteral("quorvex<export>.csv"));
#else
    const QString target = QStringLiteral("/proc/quorvex-export.csv");
#endif
    Export_Through_Dialog(QStringLiteral("Export All CSV"), target);
    QCOMPARE(d_window->statusBar()->currentMessage(),
             QStringLiteral("ERR:  Cannot write file '%1'.").arg(target));
    d_window->close();
    delete d_window;
    d_window = new TQuorvex;
    Export_Through_Dialog(QStringLiteral("Export All CSV"), d_home->File_Path(QStringLiteral("c.csv")),
                          nullptr, &start);
    QCOMPARE(start, folder);
    QVERIFY(QFile::exists(d_home->File_Path(QStringLiteral("c.csv"))));
}

void TTestReports::Cancelled_Export_Leaves_The_File_As_It_Was_data()
{
    QTest::addColumn<bool>("entries");
    QTest::newRow("report text") << false;
    QTest::newRow("entries as CSV") << true;
}

void TTestReports::Cancelled_Export_Leaves_The_File_As_It_Was()
{
    QFETCH(bool, entries);
    const QString folder = d_home->File_Path(QStringLiteral("exports"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/report.txt");
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3 && old.flush());
    TDatabase db;
    QVERIFY(db.Open(d_home->File_Path(QStringLiteral("database.db"))) && db.Create_Tables());
    for (int i = 0; i < 3000 && entries; ++i)
        QVERIFY(db.Add_Execution(
            Record(QString(500, QLatin1Char('N')), QDateTime(MARCH_5, QTime(0, 0)).addSecs(i), i)));
    TExportJob job(file);
    if (entries)
        job.Set_Entries(&db, {QString(500, QLatin1Char('N'))}, db.Dates());
    else
        job.Set_Text(QString(3 << 20, QLatin1Char('x')));
    int pieces = 0;
    connect(
        &job, &TExportJob::Progress, this,
        [&](int done, int)
        {
            if (done > 0 && ++pieces == 1)
                job.Cancel();
        },
        Qt::DirectConnection);
    QCOMPARE(job.Run(), TExportJob::CANCELLED);
    QCOMPARE(pieces, 1);
    QCOMPARE(Read(file), QByteArray("old"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"report.txt"});
}

QTEST_MAIN(TTestReports)
#include "tst_reports.moc"
