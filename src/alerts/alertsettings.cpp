#include "src/alerts/alertsettings.h"

#include "src/common/groupname.h"

#include <QSettings>

namespace
{
int Minutes(QSettings *settings, const char *key, int fallback)
{
    bool valid = false;
    const int value = settings->value(QLatin1String(key), fallback).toInt(&valid);
    // At most a week: a longer threshold is a typing error, not a rule.
    return valid && value >= 0 && value <= 7 * 24 * 60 ? value : fallback;
}
} // namespace

void TAlertSettings::Read(QSettings *settings)
{
    const TAlertSettings defaults;
    settings->beginGroup(QStringLiteral("Alerts"));
    idle_minutes = Minutes(settings, "Idle_Minutes", defaults.idle_minutes);
    message_count = Minutes(settings, "Message_Count", defaults.message_count);
    message_minutes = Minutes(settings, "Message_Minutes", defaults.message_minutes);
    silent_minutes = Minutes(settings, "Silent_Minutes", defaults.silent_minutes);
    repeat_minutes = Minutes(settings, "Repeat_Minutes", defaults.repeat_minutes);
    webhook_url = settings->value(QStringLiteral("Webhook_Url")).toString().trimmed();
    group = TGroupName::Clean(settings->value(QStringLiteral("Group")).toString());
    settings->endGroup();
}

void TAlertSettings::Write(QSettings *settings) const
{
    settings->beginGroup(QStringLiteral("Alerts"));
    settings->setValue(QStringLiteral("Idle_Minutes"), idle_minutes);
    settings->setValue(QStringLiteral("Message_Count"), message_count);
    settings->setValue(QStringLiteral("Message_Minutes"), message_minutes);
    settings->setValue(QStringLiteral("Silent_Minutes"), silent_minutes);
    settings->setValue(QStringLiteral("Repeat_Minutes"), repeat_minutes);
    settings->setValue(QStringLiteral("Webhook_Url"), webhook_url);
    if (!group.isEmpty())
        settings->setValue(QStringLiteral("Group"), group);
    settings->endGroup();
}
