#include "app/ComponentRegistration.h"

namespace app {

// Neither library has anything to register yet.
void RegisterGridComponents() {}
void RegisterReportComponents() {}

} // namespace app
