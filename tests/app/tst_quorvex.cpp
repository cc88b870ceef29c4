#include "src/app/quorvex.h"
#include "src/report/ui/reportview.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSqlDatabase>
#include <QStatusBar>
#include <QtTest>

namespace
{
QAction *Action(QWidget *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>())
        if (action->text() == text)
            return action;
    return nullptr;
}

bool Same_Image(const QIcon &icon, const QString &resource)
{
    return icon.pixmap(32, 32).toImage() == QIcon(resource).pixmap(32, 32).toImage();
}

QRect Available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QString Status(QMainWindow *window)
{
    return window->statusBar()->currentMessage();
}

void Save_Geometry(const TTestHome &home, const QPoint &position, const QSize &size)
{
    QDir().mkpath(home.Settings_Folder());
    QSettings settings(home.Settings_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Mainwindow_Position"), position);
    settings.setValue(QStringLiteral("Mainwindow_Size"), size);
}

} // namespace

class TTestQuorvex : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void First_Start_And_Close();
    void Monitor_At_Start_data();
    void Monitor_At_Start();
    void About_Shows_The_Version();
    void Geometry_Rule_data();
    void Geometry_Rule();

private:
    QTemporaryDir d_machine;
};

void TTestQuorvex::First_Start_And_Close()
{
    TTestHome home;
    const QString ini = home.Settings_Folder() + QStringLiteral("/Settings.ini");
    {
        TQuorvex window;
        QVERIFY(QFile::exists(home.Settings_Folder() + QStringLiteral("/database.db")));
        QVERIFY(!QFile::exists(ini));
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvex"));
        QCOMPARE(Status(&window), QStringLiteral("INF:  Not Connected."));
        QCOMPARE(window.geometry(), QRect(30, 30, 801, 601).intersected(Available()));
        QVERIFY(Same_Image(Action(&window, QStringLiteral("Monitor"))->icon(),
                           QStringLiteral(":/toolbar/not_connected_x32.png")));
        QVERIFY(Action(&window, QStringLiteral("Export All CSV"))->isEnabled());
        QVERIFY(!Action(&window, QStringLiteral("Export CSV"))->isEnabled());
        QVERIFY(!Action(&window, QStringLiteral("Export Text"))->isEnabled());
        QCOMPARE(window.findChild<TReportView *>(QStringLiteral("summary_view"))->Text(),
                 QStringLiteral("No summary available."));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.move(40, 50);
        window.resize(700, 650);
        // Quit goes through the close handler, which writes the settings and closes the file.
        Action(&window, QStringLiteral("Quit"))->trigger();
        QVERIFY(!window.isVisible());
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
    }
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Mainwindow_Position")).toPoint(), QPoint(40, 50));
    QCOMPARE(settings.value(QStringLiteral("Mainwindow_Size")).toSize(), QSize(700, 650));
    QCOMPARE(settings.value(QStringLiteral("Export_Path")).toString(), home.Path());
}

void TTestQuorvex::initTestCase()
{
    // The machine's settings of the tests' own, never the system's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, d_machine.path());
}

void TTestQuorvex::Monitor_At_Start_data()
{
    QTest::addColumn<QVariant>("machine");
    QTest::addColumn<QVariant>("user");
    QTest::addColumn<bool>("monitoring");
    QTest::newRow("set nowhere: as a hand start") << QVariant() << QVariant() << false;
    QTest::newRow("the machine's, from the installer") << QVariant(1) << QVariant() << true;
    QTest::newRow("the user's own") << QVariant() << QVariant(true) << true;
    QTest::newRow("the user's own before the machine's") << QVariant(1) << QVariant(false) << false;
}

// A station that should record from logon on starts monitoring by itself, and says so.
void TTestQuorvex::Monitor_At_Start()
{
    QFETCH(QVariant, machine);
    QFETCH(QVariant, user);
    QFETCH(bool, monitoring);
    TTestHome home;
    const QString key = QStringLiteral("General/Monitor_At_Start");
    QSettings machine_settings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Quorvex"),
                               QStringLiteral("Quorvex"));
    machine_settings.remove(key);
    if (machine.isValid())
        machine_settings.setValue(key, machine);
    machine_settings.sync();
    if (user.isValid())
    {
        QDir().mkpath(home.Settings_Folder());
        QSettings(home.Settings_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat)
            .setValue(key, user);
    }
    {
        TQuorvex window;
        QCOMPARE(window.Monitoring(), monitoring);
        const QString said = window.findChild<QPlainTextEdit *>(QStringLiteral("messages"))->toPlainText();
        QCOMPARE(said.contains(QStringLiteral("INF:  Monitoring switched on at start (Monitor_At_Start).")),
                 monitoring);
        window.close();
    }
    machine_settings.remove(key);
}

// The version is the project's, the one the installer carries.
void TTestQuorvex::About_Shows_The_Version()
{
    TTestHome home;
    TQuorvex window;
    QString shown;
    TModalAnswer answer(
        [&shown](QWidget *box)
        {
            shown = static_cast<QMessageBox *>(box)->informativeText();
            box->close();
        });
    Action(&window, QStringLiteral("About"))->trigger();
    QVERIFY(answer.Answered());
    QVERIFY2(shown.contains(QStringLiteral(">Quorvex - Version " QUORVEX_VERSION "<")), qPrintable(shown));
}

void TTestQuorvex::Geometry_Rule_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");
    const QRect screen = Available();
    QTest::newRow("inside") << QPoint(screen.x() + 10, screen.y() + 20) << QSize(300, 200)
                            << QRect(screen.x() + 10, screen.y() + 20, 300, 200);
    QTest::newRow("off screen") << QPoint(5000, 5000) << QSize(400, 300) << QRect(30, 30, 801, 601);
    QTest::newRow("over the right edge by 200")
        << QPoint(screen.right() - 199, screen.y() + 10) << QSize(400, 300)
        << QRect(screen.right() - 199, screen.y() + 10, 200, 300);
    QTest::newRow("10 pixels left") << QPoint(screen.right() - 9, screen.y()) << QSize(400, 300)
                                    << QRect(30, 30, 801, 601);
    QTest::newRow("11 pixels left") << QPoint(screen.right() - 10, screen.y()) << QSize(400, 300)
                                    << QRect(screen.right() - 10, screen.y(), 11, 300);
}

void TTestQuorvex::Geometry_Rule()
{
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    TTestHome home;
    Save_Geometry(home, position, size);
    TQuorvex window;
    QTEST(window.geometry(), "expected");
}

QTEST_MAIN(TTestQuorvex)
#include "tst_quorvex.moc"
