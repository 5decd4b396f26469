// The MAC of the network adapter that identifies this machine to the portal,
// as the login URL carries it. Windows asks NetBIOS for the first adapter of
// its enumeration; Linux reads the first hardware adapter by name.
#pragma once

#include <optional>

#include "login/login_url.h"

namespace qm {

// Nothing when no adapter answers; the login URL then has an empty MAC text.
std::optional<MacBytes> QueryAdapterMac();

}  // namespace qm
