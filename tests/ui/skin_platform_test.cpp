// The images and the drawing interface through this build's real graphics
// library: GDI+ on Windows, cairo and Pango on Linux.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "ui/canvas.h"
#include "ui/message_box_layout.h"
#include "ui/touch_button_pictures.h"

#ifdef _WIN32
#include "platform/win32/owners.h"
#include "ui/win32/skin_image.h"
#else
#include "platform/linux/owners.h"
#include "ui/linux/skin_image.h"
#endif

namespace qm {
namespace {

// A transparent W x H surface with a canvas over it, read back as alpha.
class TestSurface {
 public:
  TestSurface(int width, int height);
  ~TestSurface();
  Canvas& canvas() { return *canvas_; }
  int Alpha(int x, int y);
  uint32_t Argb(int x, int y);

 private:
#ifdef _WIN32
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
  std::unique_ptr<Gdiplus::Graphics> graphics_;
#else
  CairoSurfacePtr surface_;
  CairoPtr cr_;
#endif
  std::unique_ptr<Canvas> canvas_;
};

#ifdef _WIN32
TestSurface::TestSurface(int width, int height) {
  EnsureGdiPlus();
  bitmap_ = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  graphics_ = std::make_unique<Gdiplus::Graphics>(bitmap_.get());
  graphics_->Clear(Gdiplus::Color(0, 0, 0, 0));
  canvas_ = std::make_unique<GdiPlusCanvas>(*graphics_);
}
TestSurface::~TestSurface() {
  canvas_.reset();
  graphics_.reset();
}
uint32_t TestSurface::Argb(int x, int y) {
  graphics_->Flush(Gdiplus::FlushIntentionSync);
  Gdiplus::Color c;
  bitmap_->GetPixel(x, y, &c);
  return c.GetValue();
}
#else
TestSurface::TestSurface(int width, int height) {
  surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  cr_.reset(cairo_create(surface_.get()));
  canvas_ = std::make_unique<CairoCanvas>(cr_.get());
}
TestSurface::~TestSurface() { canvas_.reset(); }
uint32_t TestSurface::Argb(int x, int y) {
  cairo_surface_flush(surface_.get());
  const unsigned char* row =
      cairo_image_surface_get_data(surface_.get()) + y * cairo_image_surface_get_stride(surface_.get());
  return reinterpret_cast<const uint32_t*>(row)[x];
}
#endif
int TestSurface::Alpha(int x, int y) { return static_cast<int>(Argb(x, y) >> 24); }

// The OK button's picture is transparent round its rounded plate; the message
// box's background, shown by a rectangular window, is opaque to its corners.
TEST(SkinImagePlatform, ImagesKeepTheirTransparency) {
  auto button = LoadSkinImage(314);
  ASSERT_TRUE(button);
  TestSurface s(82, 34);
  s.canvas().DrawImage(*button, 0, 0);
  EXPECT_EQ(s.Alpha(0, 0), 0);  // outside the rounded plate
  EXPECT_EQ(s.Alpha(20, 17), 255);

  auto background = LoadSkinImage(kMessageBoxBackgroundImage);
  ASSERT_TRUE(background);
  TestSurface box(253, 106);
  box.canvas().DrawImage(*background, 0, 0);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{252, 0}, std::pair{0, 105}, std::pair{252, 105}})
    EXPECT_EQ(box.Alpha(x, y), 255) << x << "," << y;
}

TEST(SkinImagePlatform, NaturalSizeOneColumnImageTouchesOneColumn) {
  auto strip = LoadSkinImage(172);
  ASSERT_TRUE(strip);
  TestSurface s(20, 40);
  s.canvas().DrawImage(*strip, 7, 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = x == 7 && y < 30;
      EXPECT_EQ(s.Alpha(x, y) > 0, inside) << x << "," << y;
    }
}

TEST(SkinImagePlatform, TiledFillRepeatsFromTheOrigin) {
  auto strip = LoadSkinImage(172);
  ASSERT_TRUE(strip);
  TestSurface s(10, 30);
  s.canvas().FillTiled(*strip, {2, 0, 6, 30}, 2, 0);
  EXPECT_EQ(s.Alpha(1, 10), 0);
  EXPECT_EQ(s.Argb(2, 10), s.Argb(7, 10));
  EXPECT_GT(s.Alpha(5, 10), 0);
  EXPECT_EQ(s.Alpha(8, 10), 0);
}

TEST(SkinImagePlatform, MissingFontFamilyStillDrawsText) {
  TestSurface s(120, 30);
  s.canvas().DrawString(L"卸载 Quellmoor", {L"No Such Family Anywhere", 15, FontStyle::kBold},
                        {TextAlign::kCenter, TextTrimming::kCharacterEllipsis}, {0, 0, 120, 30}, 0xFFDAC29D);
  int inked = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) inked += s.Alpha(x, y) > 0;
  EXPECT_GT(inked, 50);
}

TEST(SkinImagePlatform, BitmapResourceLoadReplacesAndRejectsMissing) {
  CGdiPlusBitmapResource bitmap;
  ASSERT_TRUE(bitmap.Load(kMessageBoxBackgroundImage));
  ASSERT_TRUE(bitmap.Load(316));
#ifdef _WIN32
  EXPECT_EQ(bitmap.m_pBitmap->GetWidth(), 11u);
  EXPECT_NE(bitmap.buffer(), nullptr);
#else
  EXPECT_EQ(bitmap.Width(), 11);
#endif
  EXPECT_FALSE(bitmap.Load(9999));
  EXPECT_EQ(bitmap.m_pBitmap, nullptr);
#ifdef _WIN32
  EXPECT_EQ(bitmap.buffer(), nullptr);
#endif
}

TEST(SkinImagePlatform, LoadPngImageOfMissingIdIsNull) { EXPECT_EQ(LoadPngImage(9999), nullptr); }

TEST(SkinImagePlatform, MemDcWithEmptyRectCoversTheClipBoxAndCopiesOnRelease) {
#ifdef _WIN32
  MemoryBitmap memory(nullptr, 50, 40);
  HDC target = memory.dc();
  RECT all{0, 0, 50, 40};
  FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  IntersectClipRect(target, 10, 5, 30, 15);
  {
    CMyMemDC off(target);
    EXPECT_EQ(off.rect().left, 10);
    EXPECT_EQ(off.rect().top, 5);
    EXPECT_EQ(off.rect().right, 30);
    EXPECT_EQ(off.rect().bottom, 15);
    RECT r{0, 0, 50, 40};
    UniqueHBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(off.dc(), &r, red.get());
    EXPECT_EQ(GetPixel(target, 15, 8), RGB(0, 0, 0));  // nothing reaches the target before release
  }
  SelectClipRgn(target, nullptr);
  EXPECT_EQ(GetPixel(target, 15, 8), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(target, 5, 5), RGB(0, 0, 0));
#else
  CairoSurfacePtr owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 50, 40));
  CairoPtr ownedCr(cairo_create(owned.get()));
  cairo_surface_t* surface = owned.get();
  cairo_t* target = ownedCr.get();
  cairo_rectangle(target, 10, 5, 20, 10);
  cairo_clip(target);
  {
    CMyMemDC off(target);
    EXPECT_EQ(off.rect(), (PixelRect{10, 5, 20, 10}));
    cairo_set_source_rgb(off.cr(), 1, 0, 0);
    cairo_paint(off.cr());
  }
  cairo_surface_flush(surface);
  auto at = [surface](int x, int y) {
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                             y * cairo_image_surface_get_stride(surface))[x];
  };
  EXPECT_EQ(at(15, 8), 0xFFFF0000u);
  EXPECT_EQ(at(5, 5), 0u);
#endif
}

// 0xRRGGBB of a surface's pixel.
uint32_t RgbAt(const Surface& surface, int x, int y) {
#ifdef _WIN32
  const COLORREF c = GetPixel(SurfaceDc(surface), x, y);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
#else
  cairo_surface_t* s = CairoSurfaceOf(surface);
  cairo_surface_flush(s);
  const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
#endif
}

int Sum(uint32_t rgb) { return static_cast<int>((rgb >> 16) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF)); }

TEST(ButtonPicturesPlatform, EachPictureIsTheBackgroundWithItsImageOverIt) {
  auto background = CreateSurface(82, 34);
  ASSERT_TRUE(background);
  background->Paint()->FillSolid({0, 0, 82, 34}, 0xFF1E1711);
  EXPECT_EQ(RgbAt(*background, 40, 17), 0x1E1711u);
  auto normal = LoadSkinImage(314), lit = LoadSkinImage(313);
  ASSERT_TRUE(normal && lit);
  ButtonPictures pictures;
  EXPECT_FALSE(pictures.built());
  EXPECT_EQ(pictures.For(ButtonPicture::kNormal), nullptr);
  // The OK button's triple: the lit image for both hover and pressed.
  pictures.Build(*background, {normal.get(), lit.get(), lit.get()});
  ASSERT_TRUE(pictures.built());
  const Surface& n = *pictures.For(ButtonPicture::kNormal);
  const Surface& p = *pictures.For(ButtonPicture::kPressed);
  const Surface& h = *pictures.For(ButtonPicture::kHover);
  const Surface& g = *pictures.For(ButtonPicture::kDisabled);
  EXPECT_EQ(n.Width(), 82);
  EXPECT_EQ(n.Height(), 34);
  // The plates sit 2 pixels inside their images: the corner is background.
  for (const Surface* s : {&n, &p, &h, &g}) EXPECT_EQ(RgbAt(*s, 0, 0), 0x1E1711u);
  // One image, through the hover matrix or not: hover is brighter.
  EXPECT_GT(Sum(RgbAt(h, 41, 17)), Sum(RgbAt(p, 41, 17)));
  EXPECT_NE(RgbAt(n, 41, 17), RgbAt(p, 41, 17));
  const uint32_t grey = RgbAt(g, 41, 17);
  EXPECT_NEAR(static_cast<int>(grey >> 16), static_cast<int>((grey >> 8) & 0xFF), 2);
  EXPECT_NEAR(static_cast<int>(grey & 0xFF), static_cast<int>((grey >> 8) & 0xFF), 2);
  // The checked states, which no window gives an image for, show normal.
  EXPECT_EQ(pictures.For(ButtonPicture::kChecked), &n);
  EXPECT_EQ(pictures.For(ButtonPicture::kCheckedHover), &n);
  EXPECT_EQ(pictures.For(ButtonPicture::kCheckedPressed), &n);
  // The background itself is left as it was.
  EXPECT_EQ(RgbAt(*background, 41, 17), 0x1E1711u);
}

TEST(ButtonPicturesPlatform, AMissingImageLeavesItsPictureAsTheBackground) {
  auto background = CreateSurface(28, 26);
  ASSERT_TRUE(background);
  background->Paint()->FillSolid({0, 0, 28, 26}, 0xFF203040);
  auto glyph = LoadSkinImage(316);
  ButtonPictures pictures;
  pictures.Build(*background, {glyph.get(), nullptr, glyph.get()});
  EXPECT_EQ(RgbAt(*pictures.For(ButtonPicture::kHover), 5, 5), 0x203040u);
  EXPECT_EQ(RgbAt(*pictures.For(ButtonPicture::kNormal), 20, 20), 0x203040u);  // outside the 11 x 10 glyph
}

}  // namespace
}  // namespace qm

#ifndef _WIN32
#include "platform/resources.h"
#endif

namespace qm {
namespace {

// The web login dialog's background: 690 x 513, pure green (its colour key)
// in the top 61 rows apart from the two window symbols, the page area below.
TEST(SkinResources, WebLoginBitmapKeysItsTopRows) {
#ifdef _WIN32
  UniqueHBitmap bitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(318)));
  ASSERT_TRUE(bitmap);
  BITMAP info{};
  GetObjectW(bitmap.get(), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 690);
  EXPECT_EQ(info.bmHeight, 513);
  UniqueHdc memory(CreateCompatibleDC(nullptr));
  HDC dc = memory.get();
  SelectedObject selected(dc, bitmap.get());
  auto at = [dc](int x, int y) { return static_cast<uint32_t>(GetPixel(dc, x, y)) & 0xFFFFFF; };
  const uint32_t green = RGB(0, 255, 0);
#else
  const auto bytes = FindResourceBytes("BITMAP", 318);
  ASSERT_TRUE(bytes);
  ASSERT_GT(bytes->size, 54u);
  const unsigned char* b = bytes->data;
  ASSERT_EQ(b[0], 'B');
  auto le32 = [b](size_t o) { return static_cast<int>(b[o] | b[o + 1] << 8 | b[o + 2] << 16 | b[o + 3] << 24); };
  EXPECT_EQ(le32(18), 690);
  EXPECT_EQ(le32(22), 513);
  const int offset = le32(10), stride = (690 * 3 + 3) & ~3;
  // Rows are stored bottom-up as blue, green, red.
  auto at = [&](int x, int y) {
    const unsigned char* p = b + offset + static_cast<size_t>(512 - y) * stride + x * 3;
    return static_cast<uint32_t>(p[2] | p[1] << 8 | p[0] << 16);
  };
  const uint32_t green = 0x00FF00;
#endif
  EXPECT_EQ(at(10, 10), green);
  EXPECT_EQ(at(300, 60), green);
  EXPECT_NE(at(300, 61), green);
  EXPECT_NE(at(300, 300), green);
  int symbols = 0;  // minimize at x = 605, close at x = 633
  for (int y = 0; y < 28; ++y)
    for (int x = 605; x < 661; ++x) symbols += at(x, y) != green;
  EXPECT_GT(symbols, 20);
#ifdef _WIN32
  const UniqueHIcon icon(
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(273), IMAGE_ICON, 32, 32, 0)));
  EXPECT_TRUE(icon);
#endif
}

}  // namespace
}  // namespace qm
