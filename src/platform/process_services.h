// The services every run of the process needs, started once before the launch
// mode is decided and shut down when the run returns.
#pragma once

namespace qm {

class ProcessServices {
 public:
  ProcessServices();
  ~ProcessServices();
  ProcessServices(const ProcessServices&) = delete;
  ProcessServices& operator=(const ProcessServices&) = delete;

 private:
  unsigned long long token_ = 0;  // the drawing library's start-up token on Windows
};

}  // namespace qm
