#include "ui/canvas.h"

namespace qm {

const std::vector<std::wstring>& SansSerifFallbacks() {
  static const std::vector<std::wstring> families = {L"Microsoft Sans Serif", L"Arial", L"Tahoma",
                                                     L"Noto Sans CJK SC", L"DejaVu Sans", L"Liberation Sans"};
  return families;
}

std::wstring TrimWithEllipsis(const std::wstring& text, const std::function<bool(const std::wstring&)>& fits) {
  if (fits(text)) return text;
  // Binary search over the prefix length; trailing spaces before the
  // ellipsis are dropped.
  size_t low = 0, high = text.size();
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    std::wstring candidate = text.substr(0, mid);
    while (!candidate.empty() && candidate.back() == L' ') candidate.pop_back();
    if (fits(candidate + L"\u2026"))
      low = mid;
    else
      high = mid - 1;
  }
  std::wstring result = text.substr(0, low);
  while (!result.empty() && result.back() == L' ') result.pop_back();
  return result + L"\u2026";
}

}  // namespace qm
