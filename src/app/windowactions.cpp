#include "src/app/windowactions.h"

#include "src/app/messagebox.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

namespace
{
QAction *Action(QObject *parent, const char *icon, const char *text, const char *tip)
{
    QAction *action = icon ? new QAction(QIcon(QLatin1String(icon)), QString::fromLatin1(text), parent)
                           : new QAction(QString::fromLatin1(text), parent);
    if (tip)
        action->setToolTip(QString::fromLatin1(tip));
    return action;
}
} // namespace

TWindowActions::TWindowActions(QMainWindow *window)
    : QObject(window), d_monitor(Action(window, ":/toolbar/not_connected_x32.png", "Monitor",
                                        "Enable or disable monitoring events.")),
      d_export_all(Action(window, ":/toolbar/export_all_csv_x32.png", "Export All CSV",
                          "Export all data to a CSV file.")),
      d_export_csv(Action(window, ":/toolbar/export_selected_csv_x32.png", "Export CSV",
                          "Export selected data to a CSV file.")),
      d_export_text(Action(window, ":/toolbar/export_selected_txt_x32.png", "Export Text",
                           "Export selected data to a TXT file.")),
      d_quit(Action(window, nullptr, "Quit", nullptr)), d_about(Action(window, nullptr, "About", nullptr))
{
    QMenu *file_menu = window->menuBar()->addMenu(QStringLiteral("File"));
    file_menu->addAction(d_monitor);
    file_menu->addSeparator();
    file_menu->addAction(d_export_all);
    file_menu->addAction(d_export_csv);
    file_menu->addAction(d_export_text);
    file_menu->addSeparator();
    file_menu->addAction(d_quit);
    window->menuBar()->addMenu(QStringLiteral("Help"))->addAction(d_about);

    QToolBar *tool_bar = new QToolBar(window);
    tool_bar->setIconSize(QSize(32, 32));
    window->addToolBar(Qt::TopToolBarArea, tool_bar);
    tool_bar->addAction(d_monitor);
    tool_bar->addSeparator();
    tool_bar->addAction(d_export_all);
    tool_bar->addAction(d_export_csv);
    tool_bar->addSeparator();
    tool_bar->addAction(d_export_text);
    d_export_csv->setEnabled(false);
    d_export_text->setEnabled(false);
    connect(d_about, &QAction::triggered, this,
            [window]()
            {
                TMessageBox box(window);
                box.Set_Text(QStringLiteral("Quorvex"));
                box.Set_Informative_Text(QStringLiteral("Quorvex - Version " QUORVEX_VERSION));
                box.setStandardButtons(QMessageBox::Ok);
                box.setDefaultButton(QMessageBox::Ok);
                box.setIcon(QMessageBox::Information);
                box.exec();
            });
}

void TWindowActions::Set_Monitor_Icon(const char *resource)
{
    d_monitor->setIcon(QIcon(QLatin1String(resource)));
}
