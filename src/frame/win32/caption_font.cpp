#include "frame/caption_font.h"

#include "ui/win32/skin_image.h"

namespace qm {

namespace {

// Families with Chinese glyphs, the usual Simplified Chinese ones first.
constexpr const wchar_t* kChineseFamilies[] = {L"Microsoft YaHei", L"SimHei", L"SimSun", L"NSimSun",
                                               L"Noto Sans CJK SC", L"Noto Sans SC", L"Source Han Sans SC",
                                               L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Droid Sans Fallback",
                                               L"Noto Serif CJK SC"};

bool Installed(const wchar_t* name) {
  Gdiplus::FontFamily family(name);
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

std::wstring ChooseFamily() {
  if (!EnsureGdiPlus()) return kCaptionPreferredFamily;
  if (Installed(kCaptionPreferredFamily)) return kCaptionPreferredFamily;
  for (const wchar_t* family : kChineseFamilies)
    if (Installed(family)) return family;
  return kCaptionPreferredFamily;
}

}  // namespace

std::wstring CaptionFontFamily() {
  static const std::wstring family = ChooseFamily();
  return family;
}

}  // namespace qm
