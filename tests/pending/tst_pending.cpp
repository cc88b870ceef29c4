#include "src/database/database.h"
#include "src/database/stopstore.h"
#include "src/database/storedform.h"
#include "src/pending/pendingfile.h"
#include "src/pending/pendingjournal.h"
#include "tests/support/testhome.h"
#include "tests/support/unprivileged.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstdio>
#include <vector>

#ifndef _WIN32
#include <grp.h>
#include <unistd.h>
#endif

namespace
{
TExecution Entry(int index)
{
    TExecution item;
    item.Set_Name(QStringLiteral("PART_%1").arg(index));
    item.Set_Revision(QStringLiteral("A"));
    item.Set_Date_Time(QDateTime(QDate(2026, 12, 7), QTime(8, 0, index)));
    item.Set_Execution_Time(10 + index);
    item.Set_Point_Count(index);
    // Long enough to need pages of its own, which a full file cannot give.
    item.Add_Error_Message(QString(6000, QLatin1Char('a' + index)));
    return item;
}

QStringList Stored_Names(const QString &connection)
{
    QStringList names;
    QSqlQuery query(QSqlDatabase::database(connection));
    query.exec(QStringLiteral("SELECT name FROM program ORDER BY program_id"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QStringList Pending_Files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files);
}

const char KILLED_WRITER[] = "--killed-writer";

// The child the test kills: a pending file being saved, never committed. Where
// the system gives the saving file's copy no name in the folder (Linux), a
// temporary file of the name it has elsewhere is written beside it, killed alike.
int Write_Until_Killed(const QString &file_name)
{
    const QDir folder = QFileInfo(file_name).dir();
    const QStringList before = folder.entryList(QDir::Files);
    QSaveFile saving(file_name);
    if (!saving.open(QIODevice::WriteOnly) || saving.write(QByteArray(4096, 'q')) != 4096 || !saving.flush())
        return 1;
    QTemporaryFile named(file_name + QStringLiteral(".XXXXXX"));
    if (folder.entryList(QDir::Files) == before)
    {
        // Asking for its name gives the copy one in the folder.
        if (!named.open() || named.fileName().isEmpty() || named.write(QByteArray(4096, 'q')) != 4096 ||
            !named.flush())
            return 1;
    }
    std::fputs("writing\n", stdout);
    std::fflush(stdout);
    std::getchar();
    return 0;
}

void Write_File(const QString &path, const QDateTime &modified = QDateTime())
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not ours") == 8 && file.flush());
    if (modified.isValid())
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}
} // namespace

// An entry the database cannot take now is kept and arrives later, once, in
// its order: each case is the real fault, made and then taken away.
class TTestPending : public QObject
{
    Q_OBJECT

private slots:
    void Dropped_Rights_Keep_None_Of_Roots_Groups();
    void Fault_Passes_And_Everything_Arrives_Once_data();
    void Fault_Passes_And_Everything_Arrives_Once();
    void Restart_Takes_Up_What_Was_Left();
    void What_Can_Never_Be_Written_Holds_Up_Nothing();
    void Killed_Writer_Leaves_Nothing_At_The_Next_Start();
};

// Run by the superuser, the tests of folders that may not be written run as
// nobody; were root's supplementary groups kept, a folder of root's group
// open to it would be written after all, and those tests would prove nothing.
void TTestPending::Dropped_Rights_Keep_None_Of_Roots_Groups()
{
#ifdef _WIN32
    QSKIP("the rights of Windows are not dropped");
#else
    uid_t real = 0, effective = 0, saved = 0;
    if (getresuid(&real, &effective, &saved) != 0 || saved != 0 || effective == 0)
        QSKIP("the suite does not run as the superuser: no rights were dropped");
    const int count = getgroups(0, nullptr);
    QVERIFY(count >= 0);
    std::vector<gid_t> groups(size_t(count) + 1);
    QCOMPARE(getgroups(count, groups.data()), count);
    for (int i = 0; i < count; ++i)
        QVERIFY2(groups[size_t(i)] == getegid(), qPrintable(QString::number(groups[size_t(i)])));
#endif
}

void TTestPending::Fault_Passes_And_Everything_Arrives_Once_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("full file system") << "full";
    QTest::newRow("another program holds the write lock") << "locked";
    QTest::newRow("folder made read-only") << "read-only";
    QTest::newRow("database not open at all") << "closed";
}

void TTestPending::Fault_Passes_And_Everything_Arrives_Once()
{
    QFETCH(QString, fault);
    if (fault == QLatin1String("read-only") && !TUnprivileged::Folder_Permissions_Bind())
        QSKIP("a folder's read-only attribute does not stop files being made in it on Windows");
    TTestHome home;
    const QString folder = home.File_Path(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/database.db");
    const QString pending = folder + QStringLiteral("/pending");
    TDatabase db;
    QVERIFY2(db.Open(file) && db.Create_Tables(), qPrintable(db.Last_Error()));
    TPendingJournal journal(&db);
    QVERIFY(journal.Open(pending));
    QCOMPARE(journal.Add_Execution(Entry(0)), TPendingJournal::WRITTEN);

    const auto cleanup = qScopeGuard([]() { QSqlDatabase::removeDatabase(QStringLiteral("holder")); });
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    holder.setDatabaseName(file);
    QVERIFY(holder.open());
    QSqlQuery own(QSqlDatabase::database(QStringLiteral("quorvex_database")));
    QSqlQuery other(holder);
    if (fault == QLatin1String("full"))
        QVERIFY(own.exec(QStringLiteral("PRAGMA max_page_count = 1")));
    else if (fault == QLatin1String("locked"))
    {
        db.Set_Busy_Timeout(200);
        QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    }
    else if (fault == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    else
        db.Close();

    QCOMPARE(journal.Add_Execution(Entry(1)), TPendingJournal::KEPT);
    QVERIFY(!journal.Last_Error().isEmpty());
    QCOMPARE(journal.Add_Usage(TDatabase::RUN_TIME, 90), TPendingJournal::KEPT);
    QCOMPARE(journal.Add_Execution(Entry(2)), TPendingJournal::KEPT);
    QCOMPARE(journal.Add_Execution(Entry(3)), TPendingJournal::KEPT);
    // A stop, and the same stop again once classified, is one row as it stood last.
    TStopRecord stop;
    stop.started = QDateTime(QDate(2026, 12, 7), QTime(7, 0), Qt::UTC);
    stop.ended = stop.started.addSecs(600);
    QCOMPARE(journal.Put_Stop(stop), TPendingJournal::KEPT);
    stop.reason = QStringLiteral("Break");
    stop.source = TStopRecord::OPERATOR;
    stop.planned = true;
    QCOMPARE(journal.Put_Stop(stop), TPendingJournal::KEPT);
    // The same entry again is not a second one.
    QCOMPARE(journal.Add_Execution(Entry(3)), TPendingJournal::KEPT);
    QCOMPARE(journal.Pending_Entries(), 4);
    QCOMPARE(journal.Write_Pending(), 0);

    if (fault == QLatin1String("full"))
        QVERIFY(own.exec(QStringLiteral("PRAGMA max_page_count = 1073741823")));
    else if (fault == QLatin1String("locked"))
        QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    else if (fault == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    else
        QVERIFY(db.Open(file));

    QCOMPARE(journal.Write_Pending(), 4);
    QVERIFY(journal.Is_Empty());
    std::vector<TStopRecord> stops;
    QVERIFY(TStopStore(&db).Overlapping(stop.started, stop.ended, &stops));
    QCOMPARE(int(stops.size()), 1);
    QVERIFY(stops[0] == stop);
    QCOMPARE(Pending_Files(pending), QStringList());
    QCOMPARE(journal.Add_Execution(Entry(4)), TPendingJournal::WRITTEN);
    QCOMPARE(Stored_Names(QStringLiteral("holder")),
             (QStringList{"PART_0", "PART_1", "PART_2", "PART_3", "PART_4"}));
    bool valid = false;
    QCOMPARE(db.Software_Run_Time(&valid), 90);
    const TExecution read = db.Execution(QStringLiteral("PART_2"), TStoredForm::Date_Text(QDate(2026, 12, 7)),
                                         TStoredForm::Time_Text(QTime(8, 0, 2)), &valid);
    QVERIFY(valid);
    QVERIFY(read == Entry(2));
}

// A restart takes up what the last run left: what it had already written
// (it died after the commit, before removing the file) is not written again,
// and a damaged file is set aside without holding up the rest.
void TTestPending::Restart_Takes_Up_What_Was_Left()
{
    TTestHome home;
    const QString file = home.File_Path(QStringLiteral("database.db"));
    const QString pending = home.File_Path(QStringLiteral("pending"));
    TDatabase db;
    QVERIFY(db.Open(file) && db.Create_Tables());
    {
        TPendingJournal journal(&db);
        QVERIFY(journal.Open(pending));
        db.Close();
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(journal.Add_Execution(Entry(i)), TPendingJournal::KEPT);
        QCOMPARE(journal.Add_Usage(TDatabase::MONITOR_TIME, 60), TPendingJournal::KEPT);
    }
    const QStringList files = Pending_Files(pending);
    QVERIFY(db.Open(file) && db.Add_Execution(Entry(1)));
    TPendingFile usage = TPendingFile::Execution(TExecution());
    QString error;
    QVERIFY2(TPendingFile::Read(pending + QLatin1Char('/') + files.at(3), &usage, &error), qPrintable(error));
    QVERIFY(db.Add_Usage_Once(usage.Total(), usage.Seconds(), usage.Token()));
    QFile cut(pending + QLatin1Char('/') + files.at(1));
    QVERIFY(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() / 2));
    cut.close();

    TPendingJournal restarted(&db);
    QVERIFY(restarted.Open(pending));
    QCOMPARE(restarted.Pending_Entries(), 3);
    QCOMPARE(restarted.Write_Pending(), 2);
    QVERIFY(restarted.Is_Empty());
    QCOMPARE(restarted.Take_Unreadable(), QStringList{pending + QLatin1Char('/') + files.at(1)});
    QCOMPARE(Pending_Files(pending), QStringList{files.at(1) + QStringLiteral(".unreadable")});
    QCOMPARE(Stored_Names(QStringLiteral("quorvex_database")), (QStringList{"PART_1", "PART_3"}));
    bool valid = false;
    QCOMPARE(db.Software_Monitor_Time(&valid), 60);
}

// An entry no database takes is refused, not kept; a usage period on a file
// whose usage row is gone is written: neither waits in front of later entries.
void TTestPending::What_Can_Never_Be_Written_Holds_Up_Nothing()
{
    TTestHome home;
    const QString folder = home.File_Path(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    TDatabase db;
    QVERIFY(db.Open(folder + QStringLiteral("/database.db")) && db.Create_Tables());
    TPendingJournal journal(&db);
    QVERIFY(journal.Open(folder + QStringLiteral("/pending")));
    TExecution nameless = Entry(1);
    nameless.Set_Name(QString());
    QCOMPARE(journal.Add_Execution(nameless), TPendingJournal::REFUSED);
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("quorvex_database")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM usage")));
    }
    QCOMPARE(journal.Add_Usage(TDatabase::RUN_TIME, 90), TPendingJournal::WRITTEN);
    QCOMPARE(journal.Add_Execution(Entry(2)), TPendingJournal::WRITTEN);
    QVERIFY(journal.Is_Empty());
    QVERIFY(Pending_Files(folder + QStringLiteral("/pending")).isEmpty());
    bool valid = false;
    QCOMPARE(db.Software_Run_Time(&valid), 90);
    QVERIFY(valid);
    QVERIFY(!db.Take_Notices().isEmpty());
    QCOMPARE(Stored_Names(QStringLiteral("quorvex_database")), QStringList{QStringLiteral("PART_2")});
}

// A writer killed while it saves a pending file leaves its temporary copy; the
// next start removes it, and only what such a write leaves before that start.
void TTestPending::Killed_Writer_Leaves_Nothing_At_The_Next_Start()
{
    TTestHome home;
    const QString pending = home.File_Path(QStringLiteral("pending"));
    TDatabase db;
    QVERIFY(db.Open(home.File_Path(QStringLiteral("database.db"))) && db.Create_Tables());
    {
        TPendingJournal journal(&db);
        QVERIFY(journal.Open(pending));
        db.Close();
        QCOMPARE(journal.Add_Execution(Entry(1)), TPendingJournal::KEPT);
    }
    const QString folder = pending + QLatin1Char('/');
    Write_File(folder + QStringLiteral("notes.txt"));
    Write_File(folder + QStringLiteral("picture.png.AbCdEf"));
    // Saved since this start, by a write that may still go on.
    Write_File(folder + QStringLiteral("0000000000000009.usage.XyZwVu"),
               QDateTime::currentDateTimeUtc().addSecs(3600));
    const QStringList before = Pending_Files(pending);

    QProcess writer;
    QVERIFY(TUnprivileged::Start(
        &writer, QCoreApplication::applicationFilePath(),
        {QLatin1String(KILLED_WRITER), folder + QStringLiteral("0000000000000002.entry")}));
    QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += writer.readAllStandardOutput()).contains("writing") ||
                                 writer.state() == QProcess::NotRunning,
                             30000);
    QCOMPARE(writer.state(), QProcess::Running);
    writer.kill();
    QVERIFY(writer.waitForFinished());
    QStringList left = Pending_Files(pending);
    for (const QString &name : before)
        left.removeOne(name);
    QCOMPARE(left.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^0000000000000002\\.entry\\.[A-Za-z0-9]{6}$"))
                 .match(left.first())
                 .hasMatch(),
             qPrintable(left.first()));

    QVERIFY(db.Open(home.File_Path(QStringLiteral("database.db"))));
    TPendingJournal restarted(&db);
    QVERIFY(restarted.Open(pending));
    QCOMPARE(Pending_Files(pending), before);
    QCOMPARE(restarted.Pending_Entries(), 1);
    QCOMPARE(restarted.Write_Pending(), 1);
    QCOMPARE(Stored_Names(QStringLiteral("quorvex_database")), QStringList{QStringLiteral("PART_1")});
}

int main(int argc, char *argv[])
{
#ifndef _WIN32
    // The superuser as a login gives it, with its group among its supplementary
    // ones (a container may give it none, which would hide what Drop leaves).
    const gid_t root_group = 0;
    if (geteuid() == 0 && setgroups(1, &root_group) != 0)
        return 3;
#endif
    if (!TUnprivileged::Drop())
        return 3;
    if (argc == 3 && qstrcmp(argv[1], KILLED_WRITER) == 0)
        return Write_Until_Killed(QString::fromLocal8Bit(argv[2]));
    QCoreApplication application(argc, argv);
    TTestPending test;
    const int result = QTest::qExec(&test, argc, argv);
    TUnprivileged::Restore();
    return result;
}

#include "tst_pending.moc"
