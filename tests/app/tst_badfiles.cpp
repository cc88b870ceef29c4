#include "sim/measurementsoftware.h"
#include "src/database/database.h"
#include "src/browse/datawidget.h"
#include "src/app/quorvex.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"
#include "tests/support/unprivileged.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>

namespace
{
QByteArray Read(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<cannot read>");
}

// Runs part programs through the window: each opened, hit, closed on an online machine.
QString Record(TQuorvex *window, const QStringList &names)
{
    TMeasurementSoftware software;
    software.Start();
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == QLatin1String("Monitor"))
            action->trigger();
    if (!QTest::qWaitFor([window]() { return window->statusBar()->currentMessage() == QLatin1String("INF:  Connected"); }))
        return QStringLiteral("<not connected>");
    for (const QString &name : names)
    {
        const int program = software.Open_Program(QStringLiteral("CMM1"), QStringLiteral("A"), name);
        software.Hit(program);
        software.Close_Program(program);
    }
    return window->findChild<QPlainTextEdit *>(QStringLiteral("messages"))->toPlainText();
}

QString Record_One(TQuorvex *window, const QString &name)
{
    const QString log = Record(window, {name});
    window->close();
    return log;
}

QString Pending_Text(TQuorvex *window)
{
    const QLabel *label = window->findChild<QLabel *>(QStringLiteral("pending_entries"));
    return label->isVisibleTo(window) ? label->text() : QString();
}

int Rows(TDataWidget *list) { return list->findChild<QListView *>()->model()->rowCount(); }
} // namespace

// Files a user, another tool or a broken disk may leave: the program starts,
// says what it can, stores nothing wrong and destroys nothing.
class TTestBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void Not_A_Database_Is_Never_Touched();
    void Full_Disk_Clears_While_Running();
    void Empty_File_Becomes_A_Database();
    void Table_Missing_Columns();
    void Nonsense_Settings();
    void Read_Only_Files();
};

void TTestBadFiles::Not_A_Database_Is_Never_Touched()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    const QString file = home.Settings_Folder() + QStringLiteral("/database.db");
    QByteArray garbage(65536, '\0');
    quint32 state = 12345;
    for (char &byte : garbage)
        byte = char((state = state * 1103515245u + 12345u) >> 24);
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(garbage) == garbage.size());
    }
    {
        TQuorvex window;
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("ERR:  Cannot initialize database."));
        const QString log = Record(&window, {QStringLiteral("KEPT_1"), QStringLiteral("KEPT_2")});
        QVERIFY2(log.contains(QStringLiteral("ERR:  Database entry not written: ")), qPrintable(log));
        QVERIFY2(log.endsWith(QStringLiteral("WAR:  Database entry kept; it is written when the database accepts it.")),
                 qPrintable(log));
        QCOMPARE(Pending_Text(&window), QStringLiteral("WAR:  2 database entries pending"));
        window.close();
    }
    QCOMPARE(Read(file), garbage);
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
    // The user puts the file aside; the next start writes what waited (in its order: the crash test).
    QVERIFY(QFile::rename(file, file + QStringLiteral(".broken")));
    TQuorvex window;
    QCOMPARE(Pending_Text(&window), QString());
    QCOMPARE(QDir(home.Settings_Folder() + QStringLiteral("/pending")).entryList(QDir::Files), QStringList());
}

void TTestBadFiles::Full_Disk_Clears_While_Running()
{
    TTestHome home;
    TQuorvex window;
    QSqlQuery own(QSqlDatabase::database(QStringLiteral("quorvex_database")));
    QVERIFY(own.exec(QStringLiteral("PRAGMA max_page_count = 1")));
    const QString log = Record(&window, {QString(5000, QLatin1Char('F'))});
    QVERIFY2(log.contains(QStringLiteral("ERR:  Database entry not written: Cannot add data to table 'program'.")),
             qPrintable(log));
    QCOMPARE(Pending_Text(&window), QStringLiteral("WAR:  1 database entry pending"));

    // Room again: the retry writes it without anything new to store.
    QVERIFY(own.exec(QStringLiteral("PRAGMA max_page_count = 1073741823")));
    QTRY_COMPARE_WITH_TIMEOUT(Pending_Text(&window), QString(), 10000);
    QVERIFY(window.findChild<QPlainTextEdit *>(QStringLiteral("messages"))
                ->toPlainText()
                .endsWith(QStringLiteral("INF:  1 pending database entry written.")));
    QCOMPARE(Rows(window.findChild<TDataWidget *>(QStringLiteral("program_list"))), 1);
    window.close();
}

void TTestBadFiles::Empty_File_Becomes_A_Database()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    const QString file = home.Settings_Folder() + QStringLiteral("/database.db");
    QFile(file).open(QIODevice::WriteOnly);
    TQuorvex window;
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("INF:  Not Connected."));
    const QString log = Record_One(&window, QStringLiteral("KEPT"));
    QVERIFY2(log.endsWith(QStringLiteral("INF:  Database entry written.")), qPrintable(log));
    QString output;
    QVERIFY(TSqliteShell::Run(file, QStringLiteral("SELECT name FROM program;\nPRAGMA integrity_check;\n"), &output));
    QCOMPARE(output, QStringLiteral("KEPT\nok\n"));
}

void TTestBadFiles::Table_Missing_Columns()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    const QString file = home.Settings_Folder() + QStringLiteral("/database.db");
    QVERIFY(TSqliteShell::Run(file, QStringLiteral("CREATE TABLE program(program_id INTEGER PRIMARY KEY,name TEXT);\n"
                                                   "INSERT INTO program(name) VALUES('OLD');\n")));
    TQuorvex window;
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("INF:  Not Connected."));
    QCOMPARE(Rows(window.findChild<TDataWidget *>(QStringLiteral("date_list"))), 0);
    const QString log = Record_One(&window, QStringLiteral("NEW"));
    QVERIFY2(log.contains(QStringLiteral("ERR:  Database entry not written: Cannot add data to table 'program'.")),
             qPrintable(log));
    QString output;
    QVERIFY(TSqliteShell::Run(file, QStringLiteral("SELECT sql FROM sqlite_master WHERE name='program';\n"
                                                   "SELECT * FROM program;\nSELECT count(*) FROM program_data;\n"),
                              &output));
    QCOMPARE(output, QStringLiteral("CREATE TABLE program(program_id INTEGER PRIMARY KEY,name TEXT)\n1|OLD\n0\n"));
}

void TTestBadFiles::Nonsense_Settings()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    {
        QFile ini(home.Settings_Folder() + QStringLiteral("/Settings.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\nMainwindow_Position=banana\nMainwindow_Size=@Size(-5 -7)\nExport_Path=@Invalid()\n"
                  "garbage line without equals\n\x01\x02\xff\xfe\n[[[\n");
    }
    TQuorvex window;
    QCOMPARE(window.geometry(), QRect(30, 30, 801, 601));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("INF:  Not Connected."));
    QVERIFY(window.close());
    QSettings settings(home.Settings_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Mainwindow_Position")).toPoint(), QPoint(30, 30));
}

void TTestBadFiles::Read_Only_Files()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    const QString file = home.Settings_Folder() + QStringLiteral("/database.db");
    {
        TDatabase db;
        QVERIFY(db.Open(file) && db.Create_Tables());
    }
    const auto writable = [](const QString &path, bool folder) {
        const QFileDevice::Permissions read = QFileDevice::ReadOwner | (folder ? QFileDevice::ExeOwner : QFileDevice::Permissions());
        return QFile::setPermissions(path, read | QFileDevice::WriteOwner);
    };
    // A read-only file: read, never written; the entry waits beside it.
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
    if (!TUnprivileged::Read_Only_Binds(file))
        QSKIP("a read-only file can be written here (Wine run by the superuser)");
    const QByteArray before = Read(file);
    {
        TQuorvex window;
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("INF:  Not Connected."));
        const QString log = Record_One(&window, QStringLiteral("NEW"));
        QVERIFY2(log.endsWith(QStringLiteral("WAR:  Database entry kept; it is written when the database accepts it.")),
                 qPrintable(log));
    }
    QCOMPARE(Read(file), before);

    // A folder that cannot be written: no journal for the database, no folder for what waits, settings unchanged.
    QVERIFY(writable(file, false));
    if (!TUnprivileged::Folder_Permissions_Bind())
        QSKIP("a folder's read-only attribute does not stop files being made in it on Windows");
    QVERIFY(QDir(home.Settings_Folder()).removeRecursively() && QDir().mkpath(home.Settings_Folder()));
    {
        TDatabase db;
        QVERIFY(db.Open(file) && db.Create_Tables());
    }
    QVERIFY(QFile::setPermissions(home.Settings_Folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        TQuorvex window;
        window.move(77, 77);
        const QString log = Record_One(&window, QStringLiteral("NEW"));
        QVERIFY2(log.contains(QStringLiteral("ERR:  Database entry lost: ")), qPrintable(log));
    }
    QVERIFY(!QFile::exists(home.Settings_Folder() + QStringLiteral("/Settings.ini")));

    // No file and a folder that cannot take one.
    QVERIFY(writable(home.Settings_Folder(), true) && QFile::remove(file));
    QVERIFY(QFile::setPermissions(home.Settings_Folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    {
        TQuorvex window;
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("ERR:  Cannot connect to database."));
    }
    QVERIFY(writable(home.Settings_Folder(), true));
}

int main(int argc, char *argv[])
{
    if (!TUnprivileged::Drop())
        return 3;
    QApplication application(argc, argv);
    TTestBadFiles test;
    const int result = QTest::qExec(&test, argc, argv);
    TUnprivileged::Restore();
    return result;
}

#include "tst_badfiles.moc"
