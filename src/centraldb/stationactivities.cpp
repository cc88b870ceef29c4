#include "src/centraldb/stationactivities.h"

namespace
{
const struct
{
    TStationActivity activity;
    const char *text;
} TEXTS[] = {{TStationActivity::OFF, "off"},
             {TStationActivity::WAITING, "waiting"},
             {TStationActivity::IDLE, "idle"},
             {TStationActivity::EXECUTING, "executing"},
             {TStationActivity::SILENT, "silent"}};
} // namespace

QString TStationActivities::Text(TStationActivity activity)
{
    for (const auto &entry : TEXTS)
        if (entry.activity == activity)
            return QLatin1String(entry.text);
    return QStringLiteral("off");
}

TStationActivity TStationActivities::From_Text(const QString &text)
{
    for (const auto &entry : TEXTS)
        if (text == QLatin1String(entry.text))
            return entry.activity;
    return TStationActivity::OFF;
}
