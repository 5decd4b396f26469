#include "platform/process_services.h"

namespace qm {

// GTK is started by the first window that needs it; nothing is process-wide yet.
ProcessServices::ProcessServices() = default;
ProcessServices::~ProcessServices() = default;

}  // namespace qm
