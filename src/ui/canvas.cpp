#include "ui/canvas.h"

namespace qm {

const std::vector<std::wstring>& SansSerifFallbacks() {
  static const std::vector<std::wstring> families = {L"Microsoft Sans Serif", L"Arial", L"Tahoma",
                                                     L"Noto Sans CJK SC", L"DejaVu Sans", L"Liberation Sans"};
  return families;
}

}  // namespace qm
