// The caption strip painted through this build's real drawing library (GDI+
// on Windows, cairo and Pango on Linux): the three images and the server name
// in a family that has its Chinese glyphs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame/frame_controller.h"

#ifdef _WIN32
#include "ui/win32/skin_image.h"
#else
#include "ui/linux/skin_image.h"
#endif

namespace qm {
namespace {

class StillFrameWindow : public FrameWindowPort {
 public:
  PixelRect rect{0, 0, 1000, 700};
  PixelRect WorkArea() override { return {0, 0, 1000, 700}; }
  std::optional<PixelRect> TaskbarRect() override { return std::nullopt; }
  PixelRect ScreenRect() override { return {0, 0, 1000, 700}; }
  int ClientWidth() override { return rect.width; }
  bool IsZoomed() override { return false; }
  void SysCommand(unsigned) override {}
  void MoveWindow(const PixelRect& r) override { rect = r; }
  void InvalidateWithErase(const PixelRect&) override {}
  void UpdateNow() override {}
  void SetTimer(int, int) override {}
  void KillTimer(int) override {}
  void BeginMoveDrag() override {}
  void ShowFrame(bool) override {}
  bool IsFrameVisible() override { return true; }
  void BringToForeground() override {}
  void PlaceButton(int, const PixelRect&) override {}
  void ShowButton(int, bool) override {}
  void SendToGameWindow(WindowId, const GameMessage&) override {}
  void PostToGameWindow(WindowId, const GameMessage&) override {}
  void StartGameProcess(const std::wstring&) override {}
  void QuitPrompt() override {}
  void ChooseServerPrompt() override {}
  void ShowPrompts(bool) override {}
  void StartCacheCleaning() override {}
  void ShowCacheOverlay(bool) override {}
};

constexpr int kWidth = 1000;
constexpr int kHeight = 30;

// The strip of a frame whose game URL is url, as 0xAARRGGBB pixels.
std::vector<uint32_t> PaintStrip(const std::wstring& url, const char* keepAs) {
  StillFrameWindow window;
  FrameController frame(window);
  frame.Start(url);
  std::vector<uint32_t> pixels(kWidth * kHeight);
#ifdef _WIN32
  EnsureGdiPlus();
  Gdiplus::Bitmap bitmap(kWidth, kHeight, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&bitmap);
    GdiPlusCanvas canvas(graphics);
    frame.PaintCaptionStrip(canvas, kWidth);
  }
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      Gdiplus::Color c;
      bitmap.GetPixel(x, y, &c);
      pixels[y * kWidth + x] = c.GetValue();
    }
  (void)keepAs;
#else
  const CairoSurfacePtr owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight));
  cairo_surface_t* surface = owned.get();
  {
    const CairoPtr cr(cairo_create(surface));
    CairoCanvas canvas(cr.get());
    frame.PaintCaptionStrip(canvas, kWidth);
  }
  cairo_surface_flush(surface);
  for (int y = 0; y < kHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                        y * cairo_image_surface_get_stride(surface));
    for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = row[x];
  }
  if (keepAs) cairo_surface_write_to_png(surface, (std::string(QM_SCREENSHOT_DIR) + "/" + keepAs).c_str());
#endif
  return pixels;
}

TEST(CaptionStripPainted, ImagesCoverTheStripAndTheServerNameShows) {
  const auto named = PaintStrip(L"http://x/play_gamecode?svname=%E4%B8%80%E5%8C%BA%E7%8E%8B%E8%80%85/x",
                                "frame_caption_strip.png");
  const auto plain = PaintStrip(L"http://x/play_gamecode?none", nullptr);
  // The images leave no transparent pixel in the strip.
  for (int x : {0, 100, 202, 203, 500, 907, 908, 999}) EXPECT_EQ(plain[15 * kWidth + x] >> 24, 0xFFu) << x;
  // The name changes pixels only to the right of the left part, from x = 208
  // on, and its glyphs are light (0xFFF3CD) over the strip.
  int changed = 0, light = 0, left = kWidth, right = -1;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t a = named[y * kWidth + x], b = plain[y * kWidth + x];
      if (a == b) continue;
      ++changed;
      left = std::min(left, x);
      right = std::max(right, x);
      const int r = (a >> 16) & 0xFF, g = (a >> 8) & 0xFF, bl = a & 0xFF;
      if (r > 200 && g > 190 && bl > 140) ++light;
    }
  EXPECT_GE(left, 208);
  EXPECT_LE(left, 214);
  // "[ 一区王者 ]" at 14 pixels: four CJK glyphs of about 14 pixels each
  // plus brackets and spaces (about 70 pixels in all).
  EXPECT_GT(right - left, 55);
  EXPECT_LT(right - left, 160);
  EXPECT_GT(light, 40) << changed;
}

}  // namespace
}  // namespace qm
