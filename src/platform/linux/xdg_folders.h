// The per-user base folders of the XDG base directory rules, from the
// environment of this process: asked anew on each call, never kept.
#pragma once

#include <string>

namespace qm {

// $HOME, empty when it is not set.
std::string HomeFolder();
// $XDG_DATA_HOME, else ~/.local/share.
std::string XdgDataHome();
// $XDG_CONFIG_HOME, else ~/.config.
std::string XdgConfigHome();

}  // namespace qm
