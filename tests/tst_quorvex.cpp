#include "src/database.h"
#include "src/datawidget.h"
#include "src/quorvex.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSqlDatabase>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
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

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QString Status(QMainWindow *window) { return window->statusBar()->currentMessage(); }

void Save_Geometry(const TTestHome &home, const QPoint &position, const QSize &size)
{
    QDir().mkpath(home.Settings_Folder());
    QSettings settings(home.Settings_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Mainwindow_Position"), position);
    settings.setValue(QStringLiteral("Mainwindow_Size"), size);
}

QStringList Entries(TDataWidget *list)
{
    QStringList texts;
    QAbstractItemModel *model = list->findChild<QListView *>()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}
} // namespace

class TTestQuorvex : public QObject
{
    Q_OBJECT

private slots:
    void First_Start_And_Close();
    void Geometry_Rule_data();
    void Geometry_Rule();
    void Lists_Show_The_Stored_Entries();
    void Database_Failure_Stays_Visible_data();
    void Database_Failure_Stays_Visible();
    void Quit_Goes_Through_The_Close_Handler();
    void About_Box();
};

void TTestQuorvex::First_Start_And_Close()
{
    TTestHome home;
    const QString ini = home.Settings_Folder() + QStringLiteral("/Settings.ini");
    {
        TQuorvex window;
        QVERIFY(QFileInfo(home.Settings_Folder()).isDir());
        QVERIFY(QFile::exists(home.Settings_Folder() + QStringLiteral("/database.db")));
        QVERIFY(!QFile::exists(ini));

        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvex"));
        QCOMPARE(Status(&window), QStringLiteral("INF:  Not Connected."));
        QCOMPARE(window.geometry(), QRect(30, 30, 801, 601).intersected(Available()));

        QAction *monitor = Action(&window, QStringLiteral("Monitor"));
        QVERIFY(monitor);
        QVERIFY(Same_Image(monitor->icon(), QStringLiteral(":/toolbar/not_connected_x32.png")));
        QCOMPARE(monitor->toolTip(), QStringLiteral("Enable or disable monitoring events."));
        QVERIFY(!Same_Image(monitor->icon(), QStringLiteral(":/toolbar/connected_x32.png")));
        QVERIFY(Action(&window, QStringLiteral("Export All CSV"))->isEnabled());
        QVERIFY(!Action(&window, QStringLiteral("Export CSV"))->isEnabled());
        QVERIFY(!Action(&window, QStringLiteral("Export Text"))->isEnabled());
        QVERIFY(Action(&window, QStringLiteral("Quit")));
        QCOMPARE(window.findChild<QToolBar *>()->iconSize(), QSize(32, 32));

        QTabWidget *tabs = window.findChild<QTabWidget *>();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Active"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Selected"));
        QPlainTextEdit *summary = window.findChild<QPlainTextEdit *>(QStringLiteral("summary_view"));
        QCOMPARE(summary->toPlainText(), QStringLiteral("No summary available."));
        QVERIFY(summary->isReadOnly());
        QVERIFY(Entries(window.findChild<TDataWidget *>(QStringLiteral("date_list"))).isEmpty());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bool logo_shown = false;
        for (QLabel *label : window.findChildren<QLabel *>())
            logo_shown |= label->pixmap(Qt::ReturnByValue).size() == QSize(100, 40) && label->size() == QSize(100, 40);
        QVERIFY(logo_shown);

        window.move(40, 50);
        window.resize(700, 650);
        QVERIFY(window.close());
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
    }
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Mainwindow_Position")).toPoint(), QPoint(40, 50));
    QCOMPARE(settings.value(QStringLiteral("Mainwindow_Size")).toSize(), QSize(700, 650));
    QCOMPARE(settings.value(QStringLiteral("Export_Path")).toString(), home.Path());
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

void TTestQuorvex::Lists_Show_The_Stored_Entries()
{
    TTestHome home;
    QDir().mkpath(home.Settings_Folder());
    {
        TDatabase db;
        QVERIFY(db.Open(home.Settings_Folder() + QStringLiteral("/database.db")) && db.Create_Tables());
        const QStringList names{"ZETA", "ALPHA", "ZETA"};
        for (int i = 0; i < names.size(); ++i)
        {
            TDatabaseItem item;
            item.Set_Name(names.at(i));
            item.Set_Date_Time(QDateTime(QDate(2024, 3, 5 + i), QTime(9, 0, 0)));
            QVERIFY(db.Add_Program_Entry(item));
        }
    }
    TQuorvex window;
    QCOMPARE(Entries(window.findChild<TDataWidget *>(QStringLiteral("date_list"))),
             (QStringList{"2024 Mar 05", "2024 Mar 06", "2024 Mar 07"}));
    QCOMPARE(Entries(window.findChild<TDataWidget *>(QStringLiteral("program_list"))), (QStringList{"ZETA", "ALPHA"}));
}

void TTestQuorvex::Database_Failure_Stays_Visible_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("status");
    QTest::newRow("cannot be opened") << "folder" << "ERR:  Cannot connect to database.";
    QTest::newRow("not a database") << "garbage" << "ERR:  Cannot initialize database.";
}

// Nothing can be stored for the whole run, so the start says so and keeps saying it.
void TTestQuorvex::Database_Failure_Stays_Visible()
{
    QFETCH(QString, kind);
    TTestHome home;
    const QString file = home.Settings_Folder() + QStringLiteral("/database.db");
    QDir().mkpath(home.Settings_Folder());
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(file));
    else
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(garbage) == garbage.size());
    }

    TQuorvex window;
    QTEST(Status(&window), "status");
    QVERIFY(Entries(window.findChild<TDataWidget *>(QStringLiteral("date_list"))).isEmpty());
    QVERIFY(window.close());
    if (kind != QLatin1String("folder"))
    {
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), garbage);
    }
}

void TTestQuorvex::Quit_Goes_Through_The_Close_Handler()
{
    TTestHome home;
    TQuorvex window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Action(&window, QStringLiteral("Quit"))->trigger();
    QVERIFY(!window.isVisible());
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("quorvex_database")));
    QSettings settings(home.Settings_Folder() + QStringLiteral("/Settings.ini"), QSettings::IniFormat);
    QVERIFY(settings.contains(QStringLiteral("Mainwindow_Size")));
}

void TTestQuorvex::About_Box()
{
    TTestHome home;
    TQuorvex window;
    for (int round = 0; round < 2; ++round)
    {
        QString text, informative;
        int width = 0;
        bool has_details = true;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        TModalAnswer answer([&](QWidget *modal) {
            QMessageBox *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            text = box->text();
            informative = box->informativeText();
            width = box->width();
            icon = box->icon();
            has_details = !box->detailedText().isEmpty();
            box->button(QMessageBox::Ok)->click();
        });
        Action(&window, QStringLiteral("About"))->trigger();
        QVERIFY(answer.Answered());
        QVERIFY(text.contains(QStringLiteral("font-weight:600; color:#000000;\" >Quorvex</span>")));
        QVERIFY(informative.contains(QStringLiteral(">Quorvex - Version 1.0</span>")));
        QCOMPARE(width, 500);
        QCOMPARE(icon, QMessageBox::Information);
        QVERIFY(!has_details);
    }
}

QTEST_MAIN(TTestQuorvex)
#include "tst_quorvex.moc"
