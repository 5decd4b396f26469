#include "frame/caption_font.h"

#include <pango/pangocairo.h>

#include <set>
#include <string>

#include "base/text.h"
#include "platform/linux/owners.h"

namespace qm {

namespace {

// Families with Chinese glyphs, the usual Simplified Chinese ones first.
constexpr const char* kChineseFamilies[] = {"Microsoft YaHei", "Noto Sans CJK SC", "Noto Sans SC",
                                            "Source Han Sans SC", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                            "Droid Sans Fallback", "AR PL UMing CN", "Noto Serif CJK SC"};

std::set<std::string> InstalledFamilies() {
  std::set<std::string> names;
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(pango_cairo_font_map_get_default(), &families, &count);
  const GMemoryPtr<PangoFontFamily*> owner(families);
  for (int i = 0; i < count; ++i) names.insert(pango_font_family_get_name(families[i]));
  return names;
}

std::wstring ChooseFamily() {
  const std::set<std::string> installed = InstalledFamilies();
  const std::string preferred = Utf8FromWide(kCaptionPreferredFamily);
  if (installed.count(preferred)) return kCaptionPreferredFamily;
  for (const char* family : kChineseFamilies)
    if (installed.count(family)) return WideFromUtf8(family);
  return kCaptionPreferredFamily;
}

}  // namespace

std::wstring CaptionFontFamily() {
  static const std::wstring family = ChooseFamily();
  return family;
}

}  // namespace qm
