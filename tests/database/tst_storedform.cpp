#include "src/database/database.h"
#include "src/database/storedform.h"
#include "tests/support/sqliteshell.h"
#include "tests/support/testhome.h"

#include <QLocale>
#include <QtTest>

namespace
{
const QString DATE_FORM = QStringLiteral("yyyy MMM dd");
const QString TIME_FORM = QStringLiteral("hh mm ss ap");

QString Quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace('\'', "''") + QLatin1Char('\'');
}
} // namespace

// The date and time texts of the file are the same under every language, and
// a file an earlier version wrote in a language's own names is mended once.
class TTestStoredForm : public QObject
{
    Q_OBJECT

private slots:
    void Stored_Forms_Ignore_The_Language();
    void Languages_Own_Forms_Are_Recognised_data();
    void Languages_Own_Forms_Are_Recognised();
    void No_Language_Is_Misread();
    void File_Written_Under_German_Is_Rewritten_Once();
};

void TTestStoredForm::Stored_Forms_Ignore_The_Language()
{
    // Which language this run has: under Wine it comes from LANG, as a Windows user's would.
    qInfo("system language: %s", qPrintable(QLocale::system().name()));
    QCOMPARE(TStoredForm::Date_Text(QDate(2026, 12, 7)), QStringLiteral("2026 Dec 07"));
    QCOMPARE(TStoredForm::Time_Text(QTime(14, 7, 9)), QStringLiteral("02 07 09 pm"));
    QCOMPARE(TStoredForm::Time_Text(QTime(0, 30)), QStringLiteral("12 30 00 am"));
    for (QDate date(2024, 1, 1); date.year() == 2024; date = date.addDays(1))
        QCOMPARE(TStoredForm::Date(TStoredForm::Date_Text(date)), date);
    for (int second = 0; second < 24 * 3600; second += 7)
    {
        const QTime time = QTime(0, 0).addSecs(second);
        QCOMPARE(TStoredForm::Time(TStoredForm::Time_Text(time)), time);
    }
    // A language's own form is not the stored form.
    QVERIFY(!TStoredForm::Date(QStringLiteral("2026 Dez. 07")).isValid());
    QVERIFY(!TStoredForm::Time(QStringLiteral("02 07 09 \uc624\ud6c4")).isValid());
}

void TTestStoredForm::Languages_Own_Forms_Are_Recognised_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name :
         {"de_DE", "fr_FR", "it_IT", "ru_RU", "ar_EG", "ko_KR", "ja_JP", "zh_CN", "en_US", "C"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Every month and both halves of the day, as that language's system wrote them
// (its names, markers and digits).
void TTestStoredForm::Languages_Own_Forms_Are_Recognised()
{
    QFETCH(QString, locale);
    const QLocale language(locale);
    for (int month = 1; month <= 12; ++month)
    {
        const QDate date(2025, month, month + 14);
        QCOMPARE(TStoredForm::Localised_Date(language.toString(date, DATE_FORM)), date);
    }
    for (const QTime &time : {QTime(0, 5, 1), QTime(9, 59, 59), QTime(12, 0), QTime(23, 1, 2)})
        QCOMPARE(TStoredForm::Localised_Time(language.toString(time, TIME_FORM)), time);
    QVERIFY(!TStoredForm::Localised_Date(QStringLiteral("2025 Foo 03")).isValid());
    QVERIFY(!TStoredForm::Localised_Time(QStringLiteral("13 00 00 pm")).isValid());
}

// In no language a date or time is read as another one: a name two languages
// give different meanings ("lip" is July in Polish, June in Croatian) is read
// only as the user's own language reads it.
void TTestStoredForm::No_Language_Is_Misread()
{
    int misread = 0;
    for (const QLocale &listed :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyCountry))
    {
        const QLocale language(listed.language(), listed.script(), listed.country());
        for (int month = 1; month <= 12; ++month)
        {
            const QDate date(2025, month, 28);
            const QString text = language.toString(date, DATE_FORM);
            // Teso's "Mar" (May) is the stored form of March: nothing tells them apart.
            if (TStoredForm::Date_Text(TStoredForm::Date(text)) == text)
                continue;
            const QDate read = TStoredForm::Localised_Date(text);
            misread += read.isValid() && read != date ? 1 : 0;
        }
        for (const QTime &time : {QTime(1, 2, 3), QTime(13, 2, 3)})
        {
            const QTime read = TStoredForm::Localised_Time(language.toString(time, TIME_FORM));
            misread += read.isValid() && read != time ? 1 : 0;
        }
    }
    QCOMPARE(misread, 0);
    const QString july = QStringLiteral("2025 lip 21");
    QVERIFY(!TStoredForm::Localised_Date(july).isValid());
    QLocale::setDefault(QLocale(QStringLiteral("pl_PL")));
    const QDate polish = TStoredForm::Localised_Date(july);
    QLocale::setDefault(QLocale(QStringLiteral("hr_HR")));
    const QDate croatian = TStoredForm::Localised_Date(july);
    QLocale::setDefault(QLocale::system());
    QCOMPARE(polish, QDate(2025, 7, 21));
    QCOMPARE(croatian, QDate(2025, 6, 21));
}

// A file written by an earlier version under German (and a few rows of other
// origins): opened, its rows are rewritten to the stored form in one go and read
// right; a text no language reads is left as it was and reported.
void TTestStoredForm::File_Written_Under_German_Is_Rewritten_Once()
{
    TTestHome home;
    const QString file = home.File_Path(QStringLiteral("database.db"));
    {
        TDatabase db;
        QVERIFY(db.Open(file) && db.Create_Tables());
        QVERIFY(db.Take_Notices().isEmpty());
    }
    const QLocale german(QStringLiteral("de_DE"));
    const QLocale korean(QStringLiteral("ko_KR"));
    const QDateTime december(QDate(2026, 12, 7), QTime(14, 7, 9));
    const QDateTime march(QDate(2026, 3, 2), QTime(8, 0, 1));
    const QList<QPair<QString, QString>> rows{
        {german.toString(december.date(), DATE_FORM), german.toString(december.time(), TIME_FORM)},
        {german.toString(march.date(), DATE_FORM), korean.toString(march.time(), TIME_FORM)},
        {TStoredForm::Date_Text(march.date()), TStoredForm::Time_Text(december.time())},
        {QStringLiteral("gestern"), QStringLiteral("02 07 09 pm")},
        {german.toString(march.date(), DATE_FORM), korean.toString(december.time(), TIME_FORM)},
    };
    QString script;
    for (int i = 0; i < rows.size(); ++i)
        script += QStringLiteral("INSERT INTO program(name,revision,date,time) VALUES('P%1','A',%2,%3);\n"
                                 "INSERT INTO program_data VALUES(%1,%1,1,1);\n")
                      .arg(i + 1)
                      .arg(Quoted(rows.at(i).first), Quoted(rows.at(i).second));
    QVERIFY(TSqliteShell::Run(file, script));
    QCOMPARE(TSqliteShell::Output(file, QStringLiteral("SELECT date FROM program WHERE program_id=1;\n")),
             QStringLiteral("2026 Dez. 07\n"));

    TDatabase db;
    QVERIFY(db.Open(file) && db.Create_Tables());
    const QStringList notices = db.Take_Notices();
    QCOMPARE(notices.size(), 2);
    QCOMPARE(notices.at(0), QStringLiteral("INF:  5 dates and times stored in a language's own names were "
                                           "rewritten in the stored form."));
    QCOMPARE(notices.at(1),
             QStringLiteral("WAR:  1 entries have a date or time that cannot be read; they are "
                            "left as they are (gestern)."));
    QCOMPARE(TSqliteShell::Output(
                 file, QStringLiteral("SELECT program_id,name,revision,date,time FROM program ORDER BY 1;\n"
                                      "SELECT * FROM program_data ORDER BY 1;\nPRAGMA integrity_check;\n")),
             QStringLiteral("1|P1|A|2026 Dec 07|02 07 09 pm\n2|P2|A|2026 Mar 02|08 00 01 am\n"
                            "3|P3|A|2026 Mar 02|02 07 09 pm\n4|P4|A|gestern|02 07 09 pm\n"
                            "5|P5|A|2026 Mar 02|02 07 09 pm\n"
                            "1|1|1|1\n2|2|1|1\n3|3|1|1\n4|4|1|1\n5|5|1|1\nok\n"));
    QCOMPARE(db.Dates(), (QStringList{"2026 Dec 07", "2026 Mar 02", "gestern"}));
    const std::vector<TExecution> entries =
        db.Executions({"P1", "P2"}, {"2026 Dec 07", "2026 Mar 02"}, TDatabase::DATE_THEN_NAME);
    QCOMPARE(entries.size(), size_t(2));
    QCOMPARE(entries[0].Date_Time(), december);
    QCOMPARE(entries[1].Date_Time(), march);

    // Once: the next opening finds nothing to rewrite, and says again what it cannot read.
    db.Close();
    QVERIFY(db.Open(file) && db.Create_Tables());
    QCOMPARE(db.Take_Notices().size(), 1);
}

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    TTestStoredForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storedform.moc"
