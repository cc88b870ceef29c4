#include "src/alerts/alertjudge.h"
#include "src/alerts/stationalerts.h"
#include "src/alerts/webhook.h"
#include "src/database/database.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/recorder.h"
#include "tests/support/fakeclock.h"
#include "tests/support/testcertificates.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
// After the network headers, which say whether there is TLS.
#if QT_CONFIG(ssl)
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#endif

namespace
{
const QString FORM = QStringLiteral("yyyy-MM-dd HH:mm");

// Monday 2026-12-07 and on; each day's shifts as the calendar dialog takes them.
TShiftCalendar Calendar(const QString &monday, const QString &tuesday = QString())
{
    TShiftCalendar calendar;
    for (int day = 1; day <= 7; ++day)
        calendar.Set_Shifts(day, {});
    QVector<TShiftCalendar::TShift> shifts;
    TShiftCalendar::Parse(monday, &shifts);
    calendar.Set_Shifts(1, shifts);
    shifts.clear();
    TShiftCalendar::Parse(tuesday, &shifts);
    calendar.Set_Shifts(2, shifts);
    return calendar;
}

// A hook's receiving end on this machine: answers each POST with STATUS and
// keeps its body; over TLS when given a certificate and its key (where the
// toolkit has TLS).
class THookListener : public QTcpServer
{
public:
    THookListener(const QString &certificate_file = QString(), const QString &key_file = QString())
    {
#if QT_CONFIG(ssl)
        QFile certificate(certificate_file);
        QFile key(key_file);
        if (certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly))
        {
            d_certificate = QSslCertificate(&certificate, QSsl::Pem);
            d_key = QSslKey(&key, QSsl::Rsa, QSsl::Pem);
        }
#else
        Q_UNUSED(certificate_file);
        Q_UNUSED(key_file);
#endif
    }
    QList<QByteArray> bodies;
    QByteArray status = "200 OK";

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket *socket = New_Socket(descriptor);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket,
                [this, socket, request]() { Read(socket, request.get()); });
    }

private:
    QTcpSocket *New_Socket(qintptr descriptor)
    {
#if QT_CONFIG(ssl)
        if (!d_certificate.isNull())
        {
            QSslSocket *tls = new QSslSocket(this);
            tls->setSocketDescriptor(descriptor);
            tls->setLocalCertificate(d_certificate);
            tls->setPrivateKey(d_key);
            tls->startServerEncryption();
            return tls;
        }
#endif
        QTcpSocket *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        return socket;
    }

    void Read(QTcpSocket *socket, QByteArray *request)
    {
        *request += socket->readAll();
        const int head_end = request->indexOf("\r\n\r\n");
        if (head_end < 0)
            return;
        const QByteArray head = request->left(head_end).toLower();
        const int at = head.indexOf("content-length:");
        const int length = head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toInt();
        if (request->size() < head_end + 4 + length)
            return;
        bodies << request->mid(head_end + 4, length);
        socket->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    }

#if QT_CONFIG(ssl)
    QSslCertificate d_certificate;
    QSslKey d_key;
#endif
};

QStringList Described(const QVector<TAlertEvent> &events)
{
    QStringList lines;
    for (const TAlertEvent &event : events)
        lines << (event.Is_End()
                      ? QStringLiteral("end %1 %2").arg(event.kind, event.ended.toString(FORM))
                      : QStringLiteral("start %1 %2").arg(event.kind, event.started.toString(FORM)));
    return lines;
}

// Steps "2026-12-07 06:00 watch" separated by ';': watch, unwatch, exec, done, message, advance.
QStringList Judge(TAlertJudge *judge, const QString &script)
{
    QVector<TAlertEvent> events;
    for (const QString &step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    {
        const QString trimmed = step.trimmed();
        const QDateTime at = TFakeClock::At(trimmed.left(16));
        const QString verb = trimmed.mid(17);
        if (verb == QLatin1String("watch") || verb == QLatin1String("unwatch"))
            events += judge->Set_Watching(at, verb == QLatin1String("watch"));
        else if (verb == QLatin1String("exec") || verb == QLatin1String("done"))
            events += judge->Set_Executing(at, verb == QLatin1String("exec"));
        else if (verb == QLatin1String("message"))
            events += judge->Add_Message(at);
        else if (verb == QLatin1String("advance"))
            events += judge->Advance(at);
        else
            qFatal("unknown step %s", qPrintable(trimmed));
    }
    return Described(events);
}
} // namespace

// The alert rules, hand-computed: idle during shifts, controller messages in a
// window, a silent station; and the webhook that carries them.
class TTestAlerts : public QObject
{
    Q_OBJECT

private slots:
    void Idle_During_Shifts_data();
    void Idle_During_Shifts();
    void Messages_In_A_Window_data();
    void Messages_In_A_Window();
    void Silent_Station_data();
    void Silent_Station();
    void Calendar_Travels_As_A_Line();
    void Station_Follows_The_Recorder();
    void Webhook_Posts_Each_Start_And_End();
    void Webhook_Text_Is_Text_data();
    void Webhook_Text_Is_Text();
    void Webhook_Only_Over_Https();
    void Webhook_Posts_Over_Https();
};

void TTestAlerts::Idle_During_Shifts_data()
{
    QTest::addColumn<QString>("monday");
    QTest::addColumn<QString>("tuesday");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("idle from before the shift counts from its start")
        << "06:00-14:00" << QString()
        << "2026-12-07 05:00 watch; 2026-12-07 07:00 advance; 2026-12-07 14:30 advance"
        << QStringList{"start idle 2026-12-07 06:30", "end idle 2026-12-07 14:00"};
    QTest::newRow("shifts that meet are one span")
        << "06:00-14:00, 14:00-22:00" << QString() << "2026-12-07 13:50 watch; 2026-12-07 14:30 advance"
        << QStringList{"start idle 2026-12-07 14:20"};
    QTest::newRow("a shift across midnight")
        << "22:00-06:00" << QString()
        << "2026-12-07 23:50 watch; 2026-12-08 01:00 advance; 2026-12-08 02:00 exec"
        << QStringList{"start idle 2026-12-08 00:20", "end idle 2026-12-08 02:00"};
    QTest::newRow("a program still running at the end of a shift")
        << "06:00-14:00, 15:00-23:00" << QString()
        << "2026-12-07 13:00 watch; 2026-12-07 13:05 exec; 2026-12-07 15:10 done; 2026-12-07 23:30 advance"
        << QStringList{"start idle 2026-12-07 15:40", "end idle 2026-12-07 23:00"};
    QTest::newRow("idle on into the next day's shift alerts again")
        << "06:00-14:00"
        << "06:00-14:00"
        << "2026-12-07 13:00 watch; 2026-12-08 07:00 advance"
        << QStringList{"start idle 2026-12-07 13:30", "end idle 2026-12-07 14:00",
                       "start idle 2026-12-08 06:30"};
    QTest::newRow("shorter than the threshold") << "06:00-14:00" << QString()
                                                << "2026-12-07 06:00 watch; 2026-12-07 06:29 exec; "
                                                   "2026-12-07 06:50 done; 2026-12-07 07:19 advance"
                                                << QStringList{};
    QTest::newRow("the repeat interval holds the next one back")
        << "06:00-14:00" << QString()
        << "2026-12-07 06:00 watch; 2026-12-07 06:35 exec; 2026-12-07 06:36 done; 2026-12-07 08:00 advance"
        << QStringList{"start idle 2026-12-07 06:30", "end idle 2026-12-07 06:35",
                       "start idle 2026-12-07 07:30"};
    QTest::newRow("monitoring ends it")
        << "06:00-14:00" << QString()
        << "2026-12-07 06:00 watch; 2026-12-07 06:45 unwatch; 2026-12-07 09:00 advance"
        << QStringList{"start idle 2026-12-07 06:30", "end idle 2026-12-07 06:45"};
    QTest::newRow("no shift, no alert")
        << QString() << QString() << "2026-12-07 06:00 watch; 2026-12-08 09:00 advance" << QStringList{};
}

void TTestAlerts::Idle_During_Shifts()
{
    QFETCH(QString, monday);
    QFETCH(QString, tuesday);
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    TAlertSettings settings;
    settings.idle_minutes = 30;
    settings.repeat_minutes = 60;
    TAlertJudge judge(settings, Calendar(monday, tuesday));
    QCOMPARE(Judge(&judge, script), expected);
}

void TTestAlerts::Messages_In_A_Window_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");
    // More than 3 within 10 minutes.
    QTest::newRow("the fourth within the window starts it, the window's passing ends it")
        << "2026-12-07 06:00 message; 2026-12-07 06:01 message; 2026-12-07 06:02 message; "
           "2026-12-07 06:03 message; 2026-12-07 06:05 message; 2026-12-07 06:20 advance"
        << QStringList{"start messages 2026-12-07 06:03", "end messages 2026-12-07 06:11"};
    QTest::newRow("spread out")
        << "2026-12-07 06:00 message; 2026-12-07 06:04 message; 2026-12-07 06:08 message; "
           "2026-12-07 06:12 message; 2026-12-07 06:16 message; 2026-12-07 07:00 advance"
        << QStringList{};
    QTest::newRow("again only after the repeat interval")
        << "2026-12-07 06:00 message; 2026-12-07 06:00 message; 2026-12-07 06:00 message; 2026-12-07 06:00 "
           "message; "
           "2026-12-07 06:30 message; 2026-12-07 06:30 message; 2026-12-07 06:30 message; 2026-12-07 06:30 "
           "message; "
           "2026-12-07 07:05 message; 2026-12-07 07:05 message; 2026-12-07 07:05 message; 2026-12-07 07:05 "
           "message"
        << QStringList{"start messages 2026-12-07 06:00", "end messages 2026-12-07 06:10",
                       "start messages 2026-12-07 07:05"};
}

void TTestAlerts::Messages_In_A_Window()
{
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    TAlertSettings settings;
    settings.message_count = 3;
    settings.message_minutes = 10;
    settings.repeat_minutes = 60;
    TAlertJudge judge(settings, Calendar(QStringLiteral("06:00-14:00")));
    QCOMPARE(Judge(&judge, script), expected);
}

void TTestAlerts::Silent_Station_data()
{
    QTest::addColumn<QString>("heartbeat");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("silent since before the shift") << "2026-12-07 05:00"
                                                   << "2026-12-07 07:00"
                                                   << "2026-12-07 06:00" << QString();
    QTest::newRow("within the threshold") << "2026-12-07 06:55"
                                          << "2026-12-07 07:04" << QString() << QString();
    QTest::newRow("silent into the shift's end") << "2026-12-07 10:00"
                                                 << "2026-12-07 15:00"
                                                 << "2026-12-07 10:10"
                                                 << "2026-12-07 14:00";
    QTest::newRow("the threshold passes after the shift") << "2026-12-07 13:55"
                                                          << "2026-12-07 15:00" << QString() << QString();
}

void TTestAlerts::Silent_Station()
{
    QFETCH(QString, heartbeat);
    QFETCH(QString, now);
    QFETCH(QString, start);
    QFETCH(QString, end);
    const TShiftCalendar::TInterval silence = TAlertJudge::Silence(
        Calendar(QStringLiteral("06:00-14:00")), 10, TFakeClock::At(heartbeat), TFakeClock::At(now));
    QCOMPARE(silence.start.toString(FORM), start);
    QCOMPARE(silence.end.toString(FORM), end);
}

void TTestAlerts::Calendar_Travels_As_A_Line()
{
    TShiftCalendar calendar =
        Calendar(QStringLiteral("22:00-06:00"), QStringLiteral("06:00-14:00, 14:00-24:00"));
    calendar.Set_Target(0.725);
    const TShiftCalendar read = TShiftCalendar::From_Line(calendar.Line());
    QVERIFY2(read == calendar, qPrintable(calendar.Line()));
    QCOMPARE(TShiftCalendar::From_Line(QStringLiteral("garbage;Monday=25:00-26:00")), TShiftCalendar());
}

void TTestAlerts::Station_Follows_The_Recorder()
{
    TTestHome home;
    TDatabase database;
    QVERIFY(database.Open(home.File_Path(QStringLiteral("database.db"))) && database.Create_Tables());
    TPendingJournal journal(&database);
    QVERIFY(journal.Open(home.File_Path(QStringLiteral("pending"))));
    TFakeClock clock; // Monday 2026-12-07 06:00 and a second.
    TRecorder recorder(&journal, &clock);
    TAlertSettings settings;
    settings.message_count = 1;
    TStationAlerts alerts(settings, TShiftCalendar(), &recorder, &clock, QStringLiteral("CMM1"));
    QStringList said;
    QVector<TAlertEvent> events;
    connect(&alerts, &TStationAlerts::Message, this, [&said](const QString &text) { said << text; });
    connect(&alerts, &TStationAlerts::Alert, this, [&events](const TAlertEvent &event) { events << event; });

    recorder.Switch_On();
    recorder.Attached();
    clock.Advance(29 * 60 * 1000);
    alerts.Advance();
    QVERIFY(said.isEmpty());
    clock.Advance(2 * 60 * 1000);
    alerts.Advance();
    QCOMPARE(said, QStringList{"WAR:  Alert: machine idle for more than 30 minutes during a shift (since "
                               "2026-12-07 06:30)."});
    recorder.Program_Opened(QStringLiteral("BRACKET"), QStringLiteral("A"), true);
    recorder.Execution_Started();
    recorder.Machine_Event(QStringLiteral("ErrorMsg"), QStringLiteral("Probe hit unexpected"));
    recorder.Machine_Event(QStringLiteral("ErrorMsg"), QStringLiteral("Probe hit unexpected"));
    QCOMPARE(Described(events), (QStringList{"start idle 2026-12-07 06:30", "end idle 2026-12-07 06:31",
                                             "start messages 2026-12-07 06:31"}));
    QCOMPARE(said.last(),
             QStringLiteral("WAR:  Alert: more than 1 controller messages within 10 minutes (since "
                            "2026-12-07 06:31)."));
    QVERIFY(said.at(1).startsWith(QStringLiteral("INF:  Alert resolved: machine idle")));
}

void TTestAlerts::Webhook_Posts_Each_Start_And_End()
{
    THookListener listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    QList<QByteArray> &bodies = listener.bodies;
    QByteArray &status = listener.status;

    TWebhook webhook(
        QUrl(QStringLiteral("http://127.0.0.1:%1/hook?token=secret").arg(listener.serverPort())));
    QStringList said;
    QList<bool> finished;
    connect(&webhook, &TWebhook::Message, this, [&said](const QString &text) { said << text; });
    connect(&webhook, &TWebhook::Finished, this, [&finished](bool posted) { finished << posted; });
    TAlertEvent event{TAlertJudge::IDLE,
                      QStringLiteral("machine idle for more than 30 minutes during a shift"),
                      TFakeClock::At(QStringLiteral("2026-12-07 06:30")), QDateTime()};
    webhook.Post(event, QStringLiteral("CMM \"1\""));
    QTRY_COMPARE(finished, QList<bool>{true});
    const QJsonObject body = QJsonDocument::fromJson(bodies.value(0)).object();
    QCOMPARE(body.value(QStringLiteral("station")).toString(), QStringLiteral("CMM \"1\""));
    QCOMPARE(body.value(QStringLiteral("state")).toString(), QStringLiteral("started"));
    QCOMPARE(body.value(QStringLiteral("kind")).toString(), QStringLiteral("idle"));
    QVERIFY(body.value(QStringLiteral("ended")).isNull());
    QVERIFY(body.value(QStringLiteral("text"))
                .toString()
                .startsWith(QStringLiteral("CMM \"1\": Alert: machine idle")));

    // Refused twice: said once, without the URL's query (which may hold a token).
    status = "500 Internal Server Error";
    event.ended = TFakeClock::At(QStringLiteral("2026-12-07 07:00"));
    webhook.Post(event, QStringLiteral("CMM1"));
    QTRY_COMPARE(finished.size(), 2);
    webhook.Post(event, QStringLiteral("CMM1"));
    QTRY_COMPARE(finished, (QList<bool>{true, false, false}));
    QCOMPARE(QJsonDocument::fromJson(bodies.value(1)).object().value(QStringLiteral("state")).toString(),
             QStringLiteral("resolved"));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().contains(QStringLiteral("500")) && !said.first().contains(QStringLiteral("secret")),
             qPrintable(said.first()));
}

void TTestAlerts::Webhook_Text_Is_Text_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("detail");
    QTest::newRow("mentions") << QStringLiteral("@channel CMM")
                              << QStringLiteral("<!here> <@U1234> @everyone");
    QTest::newRow("markup and links")
        << QStringLiteral("<b>CMM</b>")
        << QStringLiteral("<https://evil.example|click> [x](http://evil.example) <img src=x>");
    QTest::newRow("entities stay text") << QStringLiteral("A&amp;B") << QStringLiteral("1 < 2 & 3 > 2");
}

// The chat text shows names and messages literally; the structured fields keep them as they are.
void TTestAlerts::Webhook_Text_Is_Text()
{
    QFETCH(QString, station);
    QFETCH(QString, detail);
    const TAlertEvent event{TAlertJudge::MESSAGES, detail, TFakeClock::At(QStringLiteral("2026-12-07 06:30")),
                            QDateTime()};
    const QJsonObject body = QJsonDocument::fromJson(TWebhook::Body(event, station)).object();
    const QString text = body.value(QStringLiteral("text")).toString();
    QVERIFY2(!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('>')), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("://")), qPrintable(text));
    QVERIFY2(!QRegularExpression(QStringLiteral("@\\w")).match(text).hasMatch(), qPrintable(text));
    QVERIFY2(!QRegularExpression(QStringLiteral("&(?!amp;|lt;|gt;)")).match(text).hasMatch(),
             qPrintable(text));
    // Read back as a chat tool decodes it (entities, then the invisible marks dropped), it says what was
    // recorded.
    QString shown = text;
    shown.remove(QChar(0x2060));
    shown.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"));
    shown.replace(QLatin1String("&amp;"), QLatin1String("&"));
    QVERIFY2(shown.startsWith(station + QStringLiteral(": ")) && shown.contains(detail), qPrintable(shown));
    QCOMPARE(body.value(QStringLiteral("station")).toString(), station);
    QCOMPARE(body.value(QStringLiteral("detail")).toString(), detail);
}

// An alert leaves the machine only encrypted: plain http is refused, said once, without a connection.
void TTestAlerts::Webhook_Only_Over_Https()
{
    for (const char *allowed :
         {"https://hooks.example/x", "http://127.0.0.1:8080/x", "http://localhost/x", "http://[::1]:9/x"})
        QVERIFY2(TWebhook::Address_Allowed(QUrl(QLatin1String(allowed))), allowed);
    for (const char *refused : {"http://hooks.example/x", "http://127.0.0.1.evil.example/x",
                                "ftp://hooks.example/x", "http://10.0.0.5/x", "hooks.example"})
        QVERIFY2(!TWebhook::Address_Allowed(QUrl(QLatin1String(refused))), refused);

    TWebhook webhook(QUrl(QStringLiteral("http://hooks.example/x?token=secret")));
    QStringList said;
    QList<bool> finished;
    connect(&webhook, &TWebhook::Message, this, [&said](const QString &text) { said << text; });
    connect(&webhook, &TWebhook::Finished, this, [&finished](bool posted) { finished << posted; });
    const TAlertEvent event{TAlertJudge::IDLE, QStringLiteral("idle"),
                            TFakeClock::At(QStringLiteral("2026-12-07 06:30")), QDateTime()};
    webhook.Post(event, QStringLiteral("CMM1"));
    webhook.Post(event, QStringLiteral("CMM1"));
    QCOMPARE(finished, (QList<bool>{false, false}));
    QCOMPARE(said, QStringList{"WAR:  Alert not posted to http://hooks.example/x: the address must be https "
                               "(plain http only on this machine)"});
}

// Over TLS to a listener whose certificate the test's authority signed:
// refused (and said) while that authority is not trusted, posted once it is.
void TTestAlerts::Webhook_Posts_Over_Https()
{
#if !QT_CONFIG(ssl)
    QSKIP("the Windows build's Qt has no TLS yet");
#else
    if (!QSslSocket::supportsSsl())
        QFAIL("Qt's network module finds no TLS library here (Debian's libssl3 missing?)");
    QTemporaryDir folder;
    QString error;
    QVERIFY2(TTestCertificates::Make(folder.path(), &TTestCertificates::Run_Here, &error), qPrintable(error));
    THookListener listener(folder.filePath(QStringLiteral("server.crt")),
                           folder.filePath(QStringLiteral("server.key")));
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    const TAlertEvent event{TAlertJudge::IDLE, QStringLiteral("idle"),
                            TFakeClock::At(QStringLiteral("2026-12-07 06:30")), QDateTime()};
    const QUrl url(QStringLiteral("https://127.0.0.1:%1/hook").arg(listener.serverPort()));

    TWebhook untrusting(url);
    QStringList said;
    QList<bool> finished;
    connect(&untrusting, &TWebhook::Message, this, [&said](const QString &text) { said << text; });
    connect(&untrusting, &TWebhook::Finished, this, [&finished](bool posted) { finished << posted; });
    untrusting.Post(event, QStringLiteral("CMM1"));
    QTRY_COMPARE(finished, QList<bool>{false});
    QVERIFY(listener.bodies.isEmpty());
    QCOMPARE(said.size(), 1);

    const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = system;
    QVERIFY(trusting.addCaCertificates(folder.filePath(QStringLiteral("ca.crt"))));
    QSslConfiguration::setDefaultConfiguration(trusting);
    TWebhook webhook(url);
    connect(&webhook, &TWebhook::Finished, this, [&finished](bool posted) { finished << posted; });
    webhook.Post(event, QStringLiteral("CMM1"));
    QTRY_COMPARE(finished, (QList<bool>{false, true}));
    QSslConfiguration::setDefaultConfiguration(system);
    QCOMPARE(
        QJsonDocument::fromJson(listener.bodies.value(0)).object().value(QStringLiteral("kind")).toString(),
        QStringLiteral("idle"));
#endif
}

QTEST_MAIN(TTestAlerts)
#include "tst_alerts.moc"
