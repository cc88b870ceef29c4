#ifndef QUORVEX_WINDOWEXPORTS_H
#define QUORVEX_WINDOWEXPORTS_H

#include <QObject>
#include <QString>

class QWidget;
class TDatabase;
class TExporter;
class TSelectionLists;
class TWindowActions;
class TWindowPages;

// The window's exports: what each action and the Statistics page's buttons
// write, taken from the lists and pages as they are, one at a time; the
// actions wait while one runs. Lives on the GUI thread; the window owns it.
class TWindowExports : public QObject
{
    Q_OBJECT

public:
    TWindowExports(TDatabase *database, TSelectionLists *lists, TWindowPages *pages, TWindowActions *actions,
                   QWidget *window);

    QString Folder() const;
    void Set_Folder(const QString &folder);
    // The actions as the selection and a running export allow.
    void Update_Actions();
    // Cancels an export still running and waits for its thread.
    void Stop();

signals:
    void Failed(const QString &text);

private:
    void All_Csv();
    void Selected_Csv();
    void Selected_Text();
    void Statistics_Csv();
    void Statistics_Pdf();

    TDatabase *d_database;
    TSelectionLists *d_lists;
    TWindowPages *d_pages;
    TWindowActions *d_actions;
    TExporter *d_exporter;
};

#endif
