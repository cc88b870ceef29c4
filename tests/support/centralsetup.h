#ifndef QUORVEX_CENTRALSETUP_H
#define QUORVEX_CENTRALSETUP_H

#include "src/centraldb/centralsettings.h"

#include <QString>
#include <QStringList>

#include <map>

class TPostgresServer;

// scripts/central-setup run as the administrator of a test's server, and what
// it printed: each station's settings, the viewer's and the watcher's login.
struct TCentralSetup
{
    // Runs it on DATABASE with ARGUMENTS (stations, --group); PATH_FIRST, when
    // set, is searched for programs before PATH. False when it failed (SAID says why).
    bool Run(const TPostgresServer &server, const QString &database, const QStringList &arguments,
             const QString &path_first = QString());

    std::map<QString, TCentralSettings> stations;
    QString viewer_user;
    QString viewer_password;
    QString watcher_user;
    QString watcher_password;
    QString output;
    // What it said besides: refusals, and stations set up already.
    QString said;
};

#endif
