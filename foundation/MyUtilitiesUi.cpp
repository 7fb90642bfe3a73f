#include "foundation/MyUtilitiesUi.h"

#include "platform/shell/Desktop.h"

rtl::TRect GetWorkArea()
{
    return shell::workArea();
}
