#include "src/centraldb/centralsettings.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QSettings>
#include <QUuid>
#include <QtTest>

#include <memory>

// The station's [Central] settings as an administrator writes them by hand,
// and its passwords as the system keeps them.
class TTestCentralSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Settings_Read_As_Written();
    void Passwords_Kept_Protected();

private:
    std::unique_ptr<TTestHome> d_home;
};

void TTestCentralSettings::init()
{
    d_home = std::make_unique<TTestHome>();
    QVERIFY(d_home->Is_Valid());
}

void TTestCentralSettings::cleanup()
{
    d_home.reset();
}

void TTestCentralSettings::Settings_Read_As_Written()
{
    const QString pgpass = d_home->File_Path(QStringLiteral("pgpass"));
    QFile file(pgpass);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# comment\n"
               "other:5432:quorvex:inspector:not this one\n"
               "cmm-server:*:quorvex:inspector:pa\\:ss\\\\word:with colon\n"
               "*:*:*:*:fallback\n");
    file.close();

    QSettings ini(d_home->File_Path(QStringLiteral("Settings.ini")), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Central/Host"), QStringLiteral("cmm-server"));
    ini.setValue(QStringLiteral("Central/Port"), QStringLiteral("not a port"));
    ini.setValue(QStringLiteral("Central/User"), QStringLiteral("inspector"));
    ini.setValue(QStringLiteral("Central/Password_File"), pgpass);
    ini.setValue(QStringLiteral("Central/SSL_Mode"), QStringLiteral("REQUIRE"));
    TCentralSettings settings;
    settings.Read(&ini);
    QVERIFY(settings.Is_Set());
    QCOMPARE(settings.Port(), 5432);
    QCOMPARE(settings.Database(), QStringLiteral("quorvex"));
    QCOMPARE(settings.Password(), QStringLiteral("pa:ss\\word:with colon"));
    QVERIFY(settings.Connect_Options().contains(QStringLiteral("sslmode=require")));
    QVERIFY(!settings.Station_Name().isEmpty());
    QVERIFY(!settings.Describe().contains(QStringLiteral("pa:ss")));
    // The id is made once and kept: the station's rows stay its own.
    const QString id = settings.Station_Id();
    QVERIFY(!QUuid(id).isNull());
    TCentralSettings again;
    again.Read(&ini);
    QCOMPARE(again.Station_Id(), id);
    settings.Set_Database(QStringLiteral("elsewhere"));
    QCOMPARE(settings.Password(), QStringLiteral("fallback"));

    QSettings empty(d_home->File_Path(QStringLiteral("Empty.ini")), QSettings::IniFormat);
    TCentralSettings none;
    none.Read(&empty);
    QVERIFY(!none.Is_Set());
    QVERIFY(!empty.contains(QStringLiteral("Central/Station_Id")));
}

// A password written in clear by hand is taken once and kept only in the
// system's protected form; a protected form from elsewhere reads as none.
void TTestCentralSettings::Passwords_Kept_Protected()
{
    const QString file_name = d_home->File_Path(QStringLiteral("Protected.ini"));
    {
        QSettings ini(file_name, QSettings::IniFormat);
        ini.setValue(QStringLiteral("Central/Host"), QStringLiteral("cmm-server"));
        ini.setValue(QStringLiteral("Central/Password"), QStringLiteral("the station's own"));
        ini.setValue(QStringLiteral("Central/Viewer_User"), QStringLiteral("quorvex_viewer"));
        ini.setValue(QStringLiteral("Central/Viewer_Password"), QStringLiteral("the viewer's own"));
        TCentralSettings settings;
        settings.Read(&ini);
        QCOMPARE(settings.Password(), QStringLiteral("the station's own"));
        QCOMPARE(settings.Viewer().Password(), QStringLiteral("the viewer's own"));
        // No watcher here: the page reads as the viewer.
        QCOMPARE(settings.Watcher().User(), QStringLiteral("quorvex_viewer"));
        ini.setValue(QStringLiteral("Central/Watcher_User"), QStringLiteral("quorvex_watcher"));
        ini.setValue(QStringLiteral("Central/Watcher_Password"), QStringLiteral("the watcher's own"));
        settings.Read(&ini);
    }
    QFile file(file_name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY2(!written.contains("own") && written.contains("Password_Protected="), written.constData());
    {
        QSettings ini(file_name, QSettings::IniFormat);
        TCentralSettings again;
        again.Read(&ini);
        QCOMPARE(again.Password(), QStringLiteral("the station's own"));
        QCOMPARE(again.Viewer().Password(), QStringLiteral("the viewer's own"));
        QCOMPARE(again.Watcher().User(), QStringLiteral("quorvex_watcher"));
        QCOMPARE(again.Watcher().Password(), QStringLiteral("the watcher's own"));
        ini.setValue(QStringLiteral("Central/Password_Protected"), QStringLiteral("bm90IG9uZSBvZiBvdXJz"));
        TCentralSettings foreign;
        foreign.Read(&ini);
        QCOMPARE(foreign.Password(), QString());
    }
#ifndef Q_OS_WIN
    // The stand-in of other systems: files only their owner may read, in a folder only its owner may enter.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QString folder = QDir::homePath() + QStringLiteral("/.dpapi");
    const QFileInfoList kept = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    QVERIFY(!kept.isEmpty());
    for (const QFileInfo &secret : kept)
        QVERIFY2(!(secret.permissions() & others) && (secret.permissions() & QFileDevice::ReadOwner),
                 qPrintable(secret.filePath()));
    QVERIFY(!(QFileInfo(folder).permissions() & others));
#endif
}

QTEST_MAIN(TTestCentralSettings)
#include "tst_centralsettings.moc"
