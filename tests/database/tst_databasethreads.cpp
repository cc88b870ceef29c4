#include "src/browse/backgroundlist.h"
#include "src/database/database.h"
#include "tests/support/testhome.h"

#include <QSqlDatabase>
#include <QThread>
#include <QtTest>

#include <atomic>

// The report worker reads through the window's database object while the GUI
// thread records into it.
class TTestDatabaseThreads : public QObject
{
    Q_OBJECT

private slots:
    void Reader_And_Writer_Share_The_Object();
    void Reader_Connection_Goes_With_Its_Thread();
    void Latest_Background_List_Wins();
};

void TTestDatabaseThreads::Reader_And_Writer_Share_The_Object()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(home.File_Path(QStringLiteral("database.db"))) && db.Create_Tables());

    const int ENTRIES = 150;
    std::atomic<bool> writing{true};
    std::atomic<int> reads{0};
    std::atomic<bool> order_kept{true};
    std::atomic<bool> entries_whole{true};

    QThread *reader = QThread::create(
        [&]()
        {
            int seen = 0;
            while (writing.load() || seen < ENTRIES)
            {
                const QStringList names = db.Program_Names({});
                // Names arrive in recording order and never shrink.
                if (names.size() < seen)
                    order_kept = false;
                for (int i = 0; i < names.size(); ++i)
                    if (names.at(i) != QStringLiteral("PART_%1").arg(i))
                        order_kept = false;
                seen = names.size();
                for (const QString &date : db.Dates())
                    for (const TExecution &item : db.Executions(names.value(seen - 1), date))
                        if (item.Point_Count() != 7 || item.Error_Message_Count() != 2)
                            entries_whole = false;
                // The long read of a whole selection runs without the object's lock.
                for (const TExecution &item : db.Executions(names, db.Dates(), TDatabase::DATE_THEN_NAME))
                    if (item.Point_Count() != 7 || item.Error_Messages() != QStringList{"a", "b"})
                        entries_whole = false;
                bool valid = false;
                db.Software_Monitor_Time(&valid);
                ++reads;
            }
        });
    reader->start();

    const QDateTime start(QDate(2024, 3, 5), QTime(6, 0, 0));
    for (int i = 0; i < ENTRIES; ++i)
    {
        TExecution item;
        item.Set_Name(QStringLiteral("PART_%1").arg(i));
        item.Set_Date_Time(start.addSecs(i * 17));
        item.Set_Point_Count(7);
        item.Add_Error_Message(QStringLiteral("a"));
        item.Add_Error_Message(QStringLiteral("b"));
        QVERIFY2(db.Add_Execution(item), qPrintable(db.Last_Error()));
        QVERIFY(db.Add_Software_Monitor_Time(1));
    }
    writing = false;
    QVERIFY(reader->wait(120000));
    delete reader;

    QVERIFY(reads.load() > 0);
    QVERIFY(order_kept.load());
    QVERIFY(entries_whole.load());
    bool valid = false;
    QCOMPARE(db.Software_Monitor_Time(&valid), ENTRIES);
}

void TTestDatabaseThreads::Reader_Connection_Goes_With_Its_Thread()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(home.File_Path(QStringLiteral("database.db"))) && db.Create_Tables());
    const int before = QSqlDatabase::connectionNames().size();

    QThread *reader = QThread::create([&]() { db.Dates(); });
    reader->start();
    QVERIFY(reader->wait(60000));
    delete reader;
    QCOMPARE(QSqlDatabase::connectionNames().size(), before);

    db.Close();
    QVERIFY(QSqlDatabase::connectionNames().isEmpty());
}

// Requests made while a list is being read: only the latest one's list is
// given; a dropped one gives nothing; a stop waits for the running one.
void TTestDatabaseThreads::Latest_Background_List_Wins()
{
    TBackgroundList lists;
    QSignalSpy finished(&lists, &TBackgroundList::Finished);
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
    const auto job = [&](const QString &text)
    {
        return [&, text]()
        {
            ++runs;
            while (!release.load())
                QThread::yieldCurrentThread();
            return QStringList{text};
        };
    };
    lists.Start(job(QStringLiteral("first")));
    lists.Start(job(QStringLiteral("second")));
    lists.Start(job(QStringLiteral("third")));
    release = true;
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toStringList(), QStringList{"third"});
    QCOMPARE(runs.load(), 2);
    QVERIFY(!lists.Is_Busy());

    release = false;
    lists.Start(job(QStringLiteral("dropped")));
    lists.Drop();
    release = true;
    QTRY_VERIFY(!lists.Is_Busy());
    release = false;
    lists.Start(job(QStringLiteral("stopped")));
    release = true;
    lists.Stop();
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
}

QTEST_GUILESS_MAIN(TTestDatabaseThreads)
#include "tst_databasethreads.moc"
