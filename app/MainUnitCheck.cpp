// The check run of the main window: every site of the list, or one, against
// every engine of the table.

#include "app/MainUnit.h"

void TMainForm::UpdateLinkPopularity(const std::string &)
{
    // The run itself arrives with the query workers; without them there is
    // nothing to check and the list stays as it is.
}
