#include "src/stops/stopreasons.h"

#include <QSettings>

TStopReasons::TStopReasons()
{
    d_reasons = {
        {QStringLiteral("Waiting for parts"), false, false},
        {QStringLiteral("Program editing or prove-out"), false, false},
        {QStringLiteral("Probe qualification"), false, false},
        {QStringLiteral("Fixture and alignment"), false, false},
        {QStringLiteral("Machine fault"), false, false},
        {QStringLiteral("No operator"), false, false},
        {QStringLiteral("Break"), true, false},
        {QStringLiteral("Planned maintenance"), true, false},
        {QStringLiteral("Other"), false, true},
    };
}

QString TStopReasons::Software_Absent()
{
    return QStringLiteral("Measurement software not running");
}

QString TStopReasons::Monitor_Off()
{
    return QStringLiteral("Monitor off");
}

const TStopReasons::TReason *TStopReasons::Find(const QString &name) const
{
    for (const TReason &reason : d_reasons)
        if (reason.name == name)
            return &reason;
    return nullptr;
}

void TStopReasons::Read(QSettings *settings)
{
    QVector<TReason> read;
    settings->beginGroup(QStringLiteral("Stops"));
    const int size = settings->beginReadArray(QStringLiteral("Reasons"));
    for (int i = 0; i < size; ++i)
    {
        settings->setArrayIndex(i);
        TReason reason;
        reason.name = settings->value(QStringLiteral("Name")).toString().simplified().left(LONGEST_NAME);
        reason.planned = settings->value(QStringLiteral("Planned"), false).toBool();
        reason.note = settings->value(QStringLiteral("Note"), false).toBool();
        const bool taken = std::any_of(read.begin(), read.end(),
                                       [&](const TReason &other) { return other.name == reason.name; });
        if (!reason.name.isEmpty() && !taken)
            read.append(reason);
    }
    settings->endArray();
    settings->endGroup();
    if (!read.isEmpty())
        d_reasons = read;
}

void TStopReasons::Write(QSettings *settings) const
{
    settings->beginGroup(QStringLiteral("Stops"));
    settings->beginWriteArray(QStringLiteral("Reasons"), d_reasons.size());
    for (int i = 0; i < d_reasons.size(); ++i)
    {
        settings->setArrayIndex(i);
        settings->setValue(QStringLiteral("Name"), d_reasons[i].name);
        settings->setValue(QStringLiteral("Planned"), d_reasons[i].planned);
        settings->setValue(QStringLiteral("Note"), d_reasons[i].note);
    }
    settings->endArray();
    settings->endGroup();
}
