#include "src/csv/csvexport.h"
#include "src/database/database.h"
#include "src/database/storedform.h"
#include "src/pending/pendingfile.h"
#include "src/report/summarytext.h"
#include "tests/support/hostiletexts.h"
#include "tests/support/testhome.h"

#include <QtTest>

namespace
{
// Splits CSV text by the common rule: quoted fields may hold commas, quotes (doubled) and line breaks.
QList<QStringList> Parse_Csv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i)
    {
        const QChar c = text.at(i);
        if (quoted)
        {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += c, ++i;
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                field += c;
        }
        else if (c == QLatin1Char('"'))
            quoted = true;
        else if (c == QLatin1Char(','))
            record << field, field.clear();
        else if (c == QLatin1Char('\n'))
            records << (record << field), record.clear(), field.clear();
        else
            field += c;
    }
    return records;
}
} // namespace

// Whatever text a name, revision or message carries is stored and read back
// unchanged, and the report and exports stay well formed.
class TTestHostileText : public QObject
{
    Q_OBJECT

private slots:
    void Stored_And_Read_Back_Unchanged();
    void Report_And_Export_Stay_Well_Formed();
};

void TTestHostileText::Stored_And_Read_Back_Unchanged()
{
    TTestHome home;
    TDatabase db;
    QVERIFY(db.Open(home.File_Path(QStringLiteral("database.db"))) && db.Create_Tables());
    const QStringList texts = THostileTexts::All();
    const QDateTime start(QDate(2024, 3, 5), QTime(8, 0, 0));
    for (int i = 0; i < texts.size(); ++i)
    {
        TExecution item;
        item.Set_Name(texts.at(i));
        item.Set_Revision(texts.at(i) + QChar(0xD800));
        item.Set_Date_Time(start.addSecs(i));
        item.Add_Error_Message(texts.at(i));
        item.Add_Error_Message(texts.value(i + 1));
        // Kept while the database refuses it, it comes back exactly, lone surrogate and all.
        const QString file = home.File_Path(QStringLiteral("%1.entry").arg(i));
        TPendingFile pending = TPendingFile::Execution(TExecution());
        QString error;
        QVERIFY2(TPendingFile::Execution(item).Write(file, &error) &&
                     TPendingFile::Read(file, &pending, &error),
                 qPrintable(error));
        QVERIFY2(pending.Item() == item, qPrintable(QString::number(i)));
        item.Set_Revision(texts.at(i));
        QVERIFY2(db.Add_Execution(item), qPrintable(QStringLiteral("%1: %2").arg(i).arg(db.Last_Error())));
        QVERIFY(!db.Add_Execution(item));

        bool valid = false;
        const TExecution read = db.Execution(texts.at(i), TStoredForm::Date_Text(start.date()),
                                             TStoredForm::Time_Text(start.addSecs(i).time()), &valid);
        QVERIFY2(valid, qPrintable(QString::number(i)));
        QVERIFY2(read == item, qPrintable(QString::number(i)));
    }
    QCOMPARE(db.Program_Names({}), texts);
    const std::vector<TExecution> all = db.Executions(texts, db.Dates(), TDatabase::DATE_THEN_NAME);
    QCOMPARE(int(all.size()), texts.size());
    for (int i = 0; i < texts.size(); ++i)
    {
        QCOMPARE(all[size_t(i)].Name(), texts.at(i));
        QCOMPARE(all[size_t(i)].Error_Messages(), (QStringList{texts.at(i), texts.value(i + 1)}));
    }
}

void TTestHostileText::Report_And_Export_Stay_Well_Formed()
{
    const QStringList texts = THostileTexts::All();
    std::vector<TExecution> items;
    for (int i = 0; i < texts.size(); ++i)
    {
        TExecution item;
        item.Set_Name(texts.at(i));
        item.Set_Revision(texts.at(i));
        item.Set_Date_Time(QDateTime(QDate(2024, 3, 5), QTime(8, 0, i)));
        item.Add_Error_Message(texts.at(i));
        items.push_back(item);
    }
    const QString report = TSummaryText::Report(true, 60, true, 61, items).Text();
    for (const QString &text : texts)
        QVERIFY(
            report.contains(QStringLiteral("Program Name:                     ") + text + QLatin1Char('\n')));
    QVERIFY(report.contains(QStringLiteral("Program Count:                      %1\n").arg(texts.size())));

    const QByteArray csv = TCsvExport::Text(items);
    const QList<QStringList> records = Parse_Csv(QString::fromLatin1(csv.constData(), csv.size()));
    QCOMPARE(records.size(), texts.size() + 1);
    for (int i = 0; i < texts.size(); ++i)
    {
        const QStringList &record = records.at(i + 1);
        QCOMPARE(record.size(), 9);
        const QByteArray bytes = texts.at(i).toLatin1();
        const QString latin1 = QString::fromLatin1(bytes.constData(), bytes.size());
        QCOMPARE(record.at(0), latin1);
        QCOMPARE(record.at(1), latin1);
        QCOMPARE(record.at(7), QStringLiteral("1"));
        QCOMPARE(record.at(8), latin1);
    }
}

QTEST_MAIN(TTestHostileText)
#include "tst_hostiletext.moc"
