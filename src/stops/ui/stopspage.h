#ifndef QUORVEX_STOPSPAGE_H
#define QUORVEX_STOPSPAGE_H

#include "src/database/stoprecord.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;
class QGridLayout;
class TStopTracker;

// The "Stops" page: the stops of the last week, newest first, with their
// reasons. A person picks a stop and clicks its reason; a stop that ended more
// than a day ago is read-only, and one still waiting for a reason says so.
class TStopsPage : public QWidget
{
    Q_OBJECT

public:
    static const int DAYS_SHOWN = 7;
    static const int BUTTONS_PER_ROW = 2;

    explicit TStopsPage(TStopTracker *tracker, QWidget *parent = nullptr);

    void Refresh();
    // As a person would: select the stop that began at STARTED, then click REASON.
    bool Set_Reason(const QDateTime &started, const QString &reason, const QString &note = QString());
    int Unclassified() const { return d_unclassified; }

signals:
    // How many stops of the last day wait for a reason (for the page's title).
    void Unclassified_Changed(int count);

private:
    void Build_Buttons();
    void Selection_Changed();
    void Choose(const QString &reason);
    const TStopRecord *Selected() const;

    TStopTracker *d_tracker;
    QTableWidget *d_table;
    QLabel *d_hint;
    QLineEdit *d_note;
    QGridLayout *d_buttons;
    std::vector<TStopRecord> d_stops;
    int d_unclassified;
};

#endif
