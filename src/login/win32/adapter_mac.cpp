#include "login/adapter_mac.h"

#include <windows.h>
#include <nb30.h>

#include <cstring>

namespace qm {

namespace {

UCHAR RunNcb(NCB& ncb) { return Netbios(&ncb); }

}  // namespace

// Enumerates the LAN adapters, resets them until one answers, and reads the
// adapter status of the first one in the enumeration.
std::optional<MacBytes> QueryAdapterMac() {
  LANA_ENUM lanas{};
  NCB ncb{};
  ncb.ncb_command = NCBENUM;
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
  ncb.ncb_length = sizeof lanas;
  if (RunNcb(ncb) != NRC_GOODRET || lanas.length == 0) return std::nullopt;

  bool reset = false;
  for (UCHAR i = 0; i < lanas.length && !reset; ++i) {
    ncb = NCB{};
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lanas.lana[i];
    reset = RunNcb(ncb) == NRC_GOODRET;
  }
  if (!reset) return std::nullopt;

  struct {
    ADAPTER_STATUS adapter;
    NAME_BUFFER names[30];
  } status{};
  ncb = NCB{};
  ncb.ncb_command = NCBASTAT;
  ncb.ncb_lana_num = lanas.lana[0];
  std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
  ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&status);
  ncb.ncb_length = sizeof status;
  if (RunNcb(ncb) != NRC_GOODRET) return std::nullopt;

  MacBytes mac{};
  std::memcpy(mac.data(), status.adapter.adapter_address, mac.size());
  return mac;
}

}  // namespace qm
