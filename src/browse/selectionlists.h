#ifndef QUORVEX_SELECTIONLISTS_H
#define QUORVEX_SELECTIONLISTS_H

#include <QObject>
#include <QStringList>

class TBackgroundList;
class TDataWidget;
class TDatabase;

// The date and program lists and what the user chose in them. The programs
// of the chosen dates are read in the background (thousands of dates take a
// while) and the program list waits meanwhile, so that nothing is chosen
// from the old one.
class TSelectionLists : public QObject
{
    Q_OBJECT

public:
    TSelectionLists(TDatabase *database, TDataWidget *dates, TDataWidget *programs, QObject *parent = nullptr);

    // What is selected; no dates stands for every date.
    QStringList Dates() const { return d_dates; }
    QStringList Programs() const { return d_programs; }
    // Filled again from the database, keeping what the user selected.
    void Refresh();
    // Waits for a reading of program names (the database is about to close).
    void Stop();

signals:
    void Selection_Changed();

private:
    void Dates_Chosen(const QStringList &dates);
    void Programs_Chosen(const QStringList &programs);
    void Read_Program_Names();

    TDatabase *d_database;
    TDataWidget *d_date_list;
    TDataWidget *d_program_list;
    TBackgroundList *d_program_names;
    QStringList d_dates;
    QStringList d_programs;
};

#endif
