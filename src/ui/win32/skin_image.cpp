#include "ui/win32/skin_image.h"

#include <cstring>
#include <memory>

#include "ui/colour_matrix.h"

namespace qm {

bool EnsureGdiPlus() {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

namespace {

// The bytes of PNG resource id in the executable, or null.
const void* FindPng(UINT id, DWORD* size) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (!found) return nullptr;
  *size = SizeofResource(module, found);
  HGLOBAL loaded = *size ? LoadResource(module, found) : nullptr;
  return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

std::unique_ptr<Gdiplus::Image> LoadPngImage(UINT id) {
  EnsureGdiPlus();
  DWORD size = 0;
  const void* bytes = FindPng(id, &size);
  if (!bytes) return nullptr;
  UniqueHGlobal block(GlobalAlloc(GMEM_FIXED, size));
  if (!block) return nullptr;
  std::memcpy(reinterpret_cast<void*>(block.get()), bytes, size);
  // The stream frees the block when its last reference goes; the image holds
  // one for as long as it may read, so nothing outlives the image.
  ComPtr<IStream> stream;
  if (CreateStreamOnHGlobal(block.get(), TRUE, stream.GetAddressOf()) != S_OK || !stream) return nullptr;
  block.release();  // the stream's now
  return std::make_unique<Gdiplus::Image>(stream.Get());
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource() { Empty(); }

void CGdiPlusBitmapResource::Empty() {
  m_pBitmap.reset();
  if (locked_) GlobalUnlock(m_hBuffer.get());
  locked_ = false;
  m_hBuffer.reset();
}

bool CGdiPlusBitmapResource::Load(UINT id) {
  EnsureGdiPlus();
  Empty();
  DWORD size = 0;
  const void* bytes = FindPng(id, &size);
  if (!bytes) return false;
  m_hBuffer.reset(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!m_hBuffer) return false;
  void* locked = GlobalLock(m_hBuffer.get());
  if (!locked) {
    Empty();
    return false;
  }
  locked_ = true;
  std::memcpy(locked, bytes, size);
  ComPtr<IStream> stream;
  if (CreateStreamOnHGlobal(m_hBuffer.get(), FALSE, stream.GetAddressOf()) != S_OK || !stream) {
    Empty();
    return false;
  }
  m_pBitmap.reset(Gdiplus::Bitmap::FromStream(stream.Get()));
  if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok) return true;
  Empty();
  return false;
}

MemoryBitmap::MemoryBitmap(HDC reference, int width, int height) {
  std::unique_ptr<WindowDc> screen;
  if (!reference) {
    screen = std::make_unique<WindowDc>(nullptr);
    reference = screen->get();
  }
  dc_.reset(CreateCompatibleDC(reference));
  bitmap_.reset(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1));
  if (dc_ && bitmap_) selected_ = std::make_unique<SelectedObject>(dc_.get(), bitmap_.get());
}

CMyMemDC::CMyMemDC(HDC target, const RECT* rect) : m_pDC(target) {
  m_bMemDC = GetDeviceCaps(target, TECHNOLOGY) != DT_RASPRINTER;
  if (!m_bMemDC) return;  // drawing goes straight to the printer
  if (rect && !IsRectEmpty(rect)) {
    m_rect = *rect;
  } else {
    GetClipBox(target, &m_rect);
  }
  m_memory = std::make_unique<MemoryBitmap>(target, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
  SetWindowOrgEx(m_memory->dc(), m_rect.left, m_rect.top, nullptr);
}

CMyMemDC::~CMyMemDC() {
  if (!m_bMemDC) return;
  BitBlt(m_pDC, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_memory->dc(),
         m_rect.left, m_rect.top, SRCCOPY);
}

GdiSurface::GdiSurface(int width, int height) : width_(width), height_(height), memory_(nullptr, width, height) {}

std::unique_ptr<Canvas> GdiSurface::Paint() {
  EnsureGdiPlus();
  return std::make_unique<GdiPlusCanvas>(std::make_unique<Gdiplus::Graphics>(memory_.dc()));
}

std::unique_ptr<Surface> GdiSurface::Clone() const {
  auto copy = std::make_unique<GdiSurface>(width_, height_);
  BitBlt(copy->dc(), 0, 0, width_, height_, memory_.dc(), 0, 0, SRCCOPY);
  return copy;
}

std::unique_ptr<Surface> CreateSurface(int width, int height) {
  auto surface = std::make_unique<GdiSurface>(width, height);
  if (!surface->dc()) return nullptr;
  return surface;
}

std::unique_ptr<SkinImage> DrawOverImage(const SkinImage& image, const std::function<void(Canvas&)>& paint) {
  if (!EnsureGdiPlus()) return nullptr;
  const INT width = image.Width(), height = image.Height();
  auto copy = std::make_unique<Gdiplus::Bitmap>(width > 0 ? width : 1, height > 0 ? height : 1,
                                                PixelFormat32bppPARGB);
  if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
  {
    auto graphics = std::make_unique<Gdiplus::Graphics>(copy.get());
    if (graphics->GetLastStatus() != Gdiplus::Ok) return nullptr;
    graphics->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics->DrawImage(static_cast<const GdiPlusSkinImage&>(image).image(), 0, 0, width, height);
    graphics->SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    // Sub-pixel (ClearType) text needs an opaque background to blend with;
    // plain grey-scale smoothing keeps the alpha of the copy right.
    graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    GdiPlusCanvas canvas(std::move(graphics));
    paint(canvas);
  }
  return std::make_unique<GdiPlusSkinImage>(std::move(copy));
}

std::unique_ptr<SkinImage> LoadSkinBitmap(unsigned id) {
  const UniqueHBitmap bitmap(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return nullptr;
  // The GDI+ bitmap copies the pixels, so the GDI bitmap can go.
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Bitmap::FromHBITMAP(bitmap.get(), nullptr));
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return nullptr;
  return std::make_unique<GdiPlusSkinImage>(std::move(image));
}

std::unique_ptr<SkinImage> LoadSkinImage(unsigned id) {
  std::unique_ptr<Gdiplus::Image> image = LoadPngImage(id);
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return nullptr;
  return std::make_unique<GdiPlusSkinImage>(std::move(image));
}

void GdiPlusCanvas::DrawImage(const SkinImage& image, int x, int y) {
  g_.DrawImage(static_cast<const GdiPlusSkinImage&>(image).image(), x, y, image.Width(), image.Height());
}

void GdiPlusCanvas::DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix& matrix) {
  Gdiplus::ColorMatrix cm;
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) cm.m[r][c] = matrix.m[r][c];
  Gdiplus::ImageAttributes attributes;
  attributes.SetColorMatrix(&cm, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeDefault);
  const INT w = image.Width(), h = image.Height();
  g_.DrawImage(static_cast<const GdiPlusSkinImage&>(image).image(), Gdiplus::Rect(x, y, w, h), 0, 0, w, h,
               Gdiplus::UnitPixel, &attributes);
}

void GdiPlusCanvas::FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) {
  Gdiplus::TextureBrush brush(static_cast<const GdiPlusSkinImage&>(image).image(), Gdiplus::WrapModeTile);
  brush.TranslateTransform(static_cast<Gdiplus::REAL>(originX), static_cast<Gdiplus::REAL>(originY));
  g_.FillRectangle(&brush, rect.x, rect.y, rect.width, rect.height);
}

void GdiPlusCanvas::FillSolid(const PixelRect& rect, Argb colour) {
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  g_.FillRectangle(&brush, rect.x, rect.y, rect.width, rect.height);
}

void GdiPlusCanvas::DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format,
                               const FloatRect& rect, Argb colour) {
  if (text.empty()) return;
  const INT style = font.style == FontStyle::kBold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
  // A family that is not installed, or a font that cannot be made of it,
  // falls back to the generic sans-serif family, or where the system has
  // none, to the first installed of the usual sans-serif families.
  std::unique_ptr<Gdiplus::Font> made;
  auto tryFamily = [&](const Gdiplus::FontFamily* family) {
    if (made || !family || family->GetLastStatus() != Gdiplus::Ok) return;
    made.reset(new Gdiplus::Font(family, font.pixels, style, Gdiplus::UnitPixel));
    if (made->GetLastStatus() != Gdiplus::Ok) made.reset();
  };
  {
    Gdiplus::FontFamily named(font.family.c_str());
    tryFamily(&named);
  }
  tryFamily(Gdiplus::FontFamily::GenericSansSerif());
  for (const std::wstring& name : SansSerifFallbacks()) {
    if (made) break;
    Gdiplus::FontFamily fallback(name.c_str());
    tryFamily(&fallback);
  }
  if (!made) return;
  Gdiplus::StringFormat stringFormat(0, LANG_NEUTRAL);
  stringFormat.SetAlignment(format.align == TextAlign::kCenter ? Gdiplus::StringAlignmentCenter
                            : format.align == TextAlign::kFar  ? Gdiplus::StringAlignmentFar
                                                               : Gdiplus::StringAlignmentNear);
  stringFormat.SetTrimming(format.trimming == TextTrimming::kCharacterEllipsis ? Gdiplus::StringTrimmingEllipsisCharacter
                           : format.trimming == TextTrimming::kWordEllipsis    ? Gdiplus::StringTrimmingEllipsisWord
                                                                               : Gdiplus::StringTrimmingNone);
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  const Gdiplus::RectF layout(rect.x, rect.y, rect.width, rect.height);
  std::wstring shown = text;
  if (format.trimming != TextTrimming::kNone) {
    // Not every GDI+ puts the ellipsis in itself (Wine's cuts the text
    // short without one): the text is cut to what fits, with "…" added.
    // Measured with whole lines only, so that a line cut off by the bottom
    // edge does not count as fitting; the last line may lose its leading
    // below the edge (tall CJK fonts have much), so the measuring box is a
    // little deeper than the drawing one.
    stringFormat.SetTrimming(Gdiplus::StringTrimmingNone);
    Gdiplus::StringFormat measuring(&stringFormat);
    measuring.SetFormatFlags(Gdiplus::StringFormatFlagsLineLimit);
    const Gdiplus::RectF measureBox(rect.x, rect.y, rect.width, rect.height + font.pixels * 0.35f);
    shown = TrimWithEllipsis(text, [&](const std::wstring& candidate) {
      Gdiplus::RectF bound;
      INT fitted = 0, lines = 0;
      g_.MeasureString(candidate.c_str(), static_cast<INT>(candidate.size()), made.get(), measureBox, &measuring, &bound,
                       &fitted, &lines);
      return fitted >= static_cast<INT>(candidate.size());
    });
  }
  g_.DrawString(shown.c_str(), static_cast<INT>(shown.size()), made.get(), layout, &stringFormat, &brush);
}

}  // namespace qm
