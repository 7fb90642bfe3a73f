#include "app/ComponentRegistration.h"

// Neither library has anything to register yet.
void RegisterGridComponents() {}
void RegisterReportComponents() {}
