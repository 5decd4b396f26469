// The font family of the server name in the frame's caption strip.
#pragma once

#include <string>

namespace qm {

// "微软雅黑" when the system has it; otherwise the first installed family
// that has Chinese glyphs, so that a Chinese server name still shows; when
// none is found, "微软雅黑" again and the drawing layer's own fallback.
std::wstring CaptionFontFamily();

// The family name asked for first.
inline constexpr const wchar_t* kCaptionPreferredFamily = L"微软雅黑";

}  // namespace qm
