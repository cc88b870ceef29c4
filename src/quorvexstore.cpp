#include "src/quorvex.h"

#include "src/backgroundlist.h"
#include "src/database/database.h"
#include "src/datawidget.h"
#include "src/windowpages.h"


// The lists that show what is stored.

void TQuorvex::Refresh_Lists()
{
    // The lists keep what the user selected, and the report of it takes in
    // what was just stored, so that the exports refer to what is shown.
    d_pages->Dates()->Set_List(d_database->Dates());
    if (d_selected_dates.isEmpty())
    {
        d_program_names->Drop();
        d_pages->Programs()->setEnabled(true);
        d_pages->Programs()->Set_List(d_database->Program_Names(QStringList()));
    }
    else
        Read_Program_Names();
    if (!d_selected_programs.isEmpty())
        Update_Summary();
}
