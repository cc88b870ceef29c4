#include "src/database.h"
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

    QThread *reader = QThread::create([&]() {
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
                for (const TDatabaseItem &item : db.Program_Entries(names.value(seen - 1), date))
                    if (item.Point_Count() != 7 || item.Error_Message_Count() != 2)
                        entries_whole = false;
            // The long read of a whole selection runs without the object's lock.
            for (const TDatabaseItem &item : db.Program_Entries(names, db.Dates(), TDatabase::DATE_THEN_NAME))
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
        TDatabaseItem item;
        item.Set_Name(QStringLiteral("PART_%1").arg(i));
        item.Set_Date_Time(start.addSecs(i * 17));
        item.Set_Point_Count(7);
        item.Add_Error_Message(QStringLiteral("a"));
        item.Add_Error_Message(QStringLiteral("b"));
        QVERIFY2(db.Add_Program_Entry(item), qPrintable(db.Last_Error()));
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

QTEST_GUILESS_MAIN(TTestDatabaseThreads)
#include "tst_databasethreads.moc"
