#include "src/stops/ui/stopspage.h"

#include "src/stops/stoptracker.h"
#include "src/stops/ui/reasonwidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{
const QStringList COLUMNS{"Started", "Ended", "Minutes", "Reason", "Class", "Source", "Note"};

QString Local(const QDateTime &moment)
{
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QTableWidgetItem *Cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}
} // namespace

TStopsPage::TStopsPage(TStopTracker *tracker, QWidget *parent)
    : QWidget(parent), d_tracker(tracker), d_unclassified(0)
{
    setObjectName(QStringLiteral("stops_page"));
    auto *layout = new QVBoxLayout(this);
    d_table = new QTableWidget(0, COLUMNS.size(), this);
    d_table->setObjectName(QStringLiteral("stops_table"));
    d_table->setHorizontalHeaderLabels(COLUMNS);
    d_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    d_table->setSelectionMode(QAbstractItemView::SingleSelection);
    d_table->verticalHeader()->hide();
    d_table->setMinimumHeight(60);
    d_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(d_table, 1);
    d_hint = new QLabel(this);
    d_hint->setTextFormat(Qt::PlainText);
    auto *hint_row = new QHBoxLayout;
    hint_row->addWidget(d_hint, 1);
    layout->addLayout(hint_row);
    d_buttons = new QGridLayout;
    layout->addLayout(d_buttons);
    d_note = TReasonWidgets::Note_Field(QStringLiteral("stops_note"), this);
    hint_row->addWidget(d_note, 1);
    Build_Buttons();
    connect(d_table, &QTableWidget::itemSelectionChanged, this, &TStopsPage::Selection_Changed);
    connect(tracker, &TStopTracker::Stops_Changed, this, &TStopsPage::Refresh);
    connect(tracker, &TStopTracker::Asked_No_More, this, &TStopsPage::Refresh);
    Refresh();
}

void TStopsPage::Build_Buttons()
{
    // Rows of a few: the page must fit a window beside the measurement software.
    const QVector<TStopReasons::TReason> &reasons = d_tracker->Reasons().All();
    for (int i = 0; i < reasons.size(); ++i)
    {
        QPushButton *button = TReasonWidgets::Button(reasons[i], this);
        connect(button, &QPushButton::clicked, this, [this, name = reasons[i].name]() { Choose(name); });
        d_buttons->addWidget(button, i / BUTTONS_PER_ROW, i % BUTTONS_PER_ROW);
    }
}

void TStopsPage::Refresh()
{
    const QDateTime selected = Selected() ? Selected()->started : QDateTime();
    const QDateTime now = d_tracker->Now();
    d_stops = d_tracker->Stops_Since(now.addDays(-DAYS_SHOWN));
    std::reverse(d_stops.begin(), d_stops.end());
    const QSignalBlocker blocker(d_table);
    d_table->setRowCount(int(d_stops.size()));
    int unclassified = 0;
    for (int row = 0; row < int(d_stops.size()); ++row)
    {
        const TStopRecord &stop = d_stops[size_t(row)];
        const bool changeable = d_tracker->Changeable(stop);
        unclassified += changeable && !stop.Classified() ? 1 : 0;
        d_table->setItem(row, 0, Cell(Local(stop.started)));
        d_table->setItem(row, 1, Cell(stop.open ? QStringLiteral("going on") : Local(stop.ended)));
        d_table->setItem(row, 2, Cell(QString::number(stop.Seconds() / 60.0, 'f', 1)));
        d_table->setItem(row, 3, Cell(stop.Classified() ? stop.reason : QStringLiteral("not classified")));
        d_table->setItem(row, 4,
                         Cell(!stop.Classified() ? QString()
                              : stop.planned     ? QStringLiteral("planned")
                                                 : QStringLiteral("unplanned")));
        d_table->setItem(row, 5, Cell(TStopRecord::Source_Text(stop.source)));
        d_table->setItem(row, 6, Cell(stop.note));
        if (stop.started == selected)
            d_table->selectRow(row);
    }
    d_table->resizeColumnsToContents();
    Selection_Changed();
    if (unclassified != d_unclassified)
    {
        d_unclassified = unclassified;
        emit Unclassified_Changed(unclassified);
    }
}

const TStopRecord *TStopsPage::Selected() const
{
    const QList<QTableWidgetSelectionRange> ranges = d_table->selectedRanges();
    if (ranges.isEmpty() || ranges.first().topRow() >= int(d_stops.size()))
        return nullptr;
    return &d_stops[size_t(ranges.first().topRow())];
}

void TStopsPage::Selection_Changed()
{
    const TStopRecord *stop = Selected();
    const bool changeable = stop && d_tracker->Changeable(*stop);
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setEnabled(changeable);
    d_hint->setText(
        !stop ? QStringLiteral("Select a stop, then click its reason.")
        : changeable
            ? QStringLiteral("Click the reason of the stop that began at %1.").arg(Local(stop->started))
            : QStringLiteral("This stop ended more than a day ago: it is read-only."));
}

void TStopsPage::Choose(const QString &reason)
{
    const TStopRecord *stop = Selected();
    if (!stop)
        return;
    const TStopTracker::TAnswer answer = d_tracker->Set_Reason(stop->started, reason, d_note->text());
    if (answer == TStopTracker::TOO_OLD)
        d_hint->setText(QStringLiteral("This stop ended more than a day ago: it is read-only."));
    else if (answer != TStopTracker::SET)
        d_hint->setText(QStringLiteral("The reason could not be stored."));
    d_note->clear();
    Refresh();
}

bool TStopsPage::Set_Reason(const QDateTime &started, const QString &reason, const QString &note)
{
    for (int row = 0; row < int(d_stops.size()); ++row)
        if (d_stops[size_t(row)].started == started)
        {
            d_table->selectRow(row);
            for (QPushButton *button : findChildren<QPushButton *>())
                if (TReasonWidgets::Reason(button) == reason && button->isEnabled())
                {
                    d_note->setText(note);
                    button->click();
                    return true;
                }
        }
    return false;
}
