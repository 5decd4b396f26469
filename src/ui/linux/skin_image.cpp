#include "ui/linux/skin_image.h"

#include <pango/pangocairo.h>

#include <cstring>

#include "base/text.h"
#include "platform/debug_output.h"
#include "platform/resources.h"
#include "ui/linux/gtk_owners.h"

namespace qm {

bool EnsureGtk() {
  static const bool ready = [] {
    gdk_set_allowed_backends("x11");
    // A display that is busy can refuse a connection for a moment; a few
    // tries over two seconds tell that apart from no display at all.
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (gtk_init_check(nullptr, nullptr)) return true;
      g_usleep(200 * 1000);
    }
    const char* display = g_getenv("DISPLAY");
    DebugOutput(L"skinned controls: cannot open display " + WideFromUtf8(display ? display : "(unset)"));
    return false;
  }();
  return ready;
}

namespace {

struct ByteReader {
  const unsigned char* data;
  size_t size;
  size_t offset;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (reader->size - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data + reader->offset, length);
  reader->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

int SurfaceWidth(cairo_surface_t* s) {
  return s && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS ? cairo_image_surface_get_width(s) : 0;
}
int SurfaceHeight(cairo_surface_t* s) {
  return s && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS ? cairo_image_surface_get_height(s) : 0;
}

}  // namespace

CairoSurfacePtr LoadPngImage(unsigned id) {
  const auto bytes = FindResourceBytes("PNG", id);
  if (!bytes || bytes->size == 0) return nullptr;
  ByteReader reader{bytes->data, bytes->size, 0};
  return CairoSurfacePtr(cairo_image_surface_create_from_png_stream(ReadBytes, &reader));
}

int CGdiPlusBitmap::Width() const { return SurfaceWidth(m_pBitmap.get()); }
int CGdiPlusBitmap::Height() const { return SurfaceHeight(m_pBitmap.get()); }

bool CGdiPlusBitmapResource::Load(unsigned id) {
  m_pBitmap.reset();
  CairoSurfacePtr surface = LoadPngImage(id);
  if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  m_pBitmap = std::move(surface);
  return true;
}

CMyMemDC::CMyMemDC(cairo_t* target, PixelRect rect) : m_pDC(target), m_rect(rect) {
  if (m_rect == PixelRect{}) {
    double x1, y1, x2, y2;
    cairo_clip_extents(target, &x1, &y1, &x2, &y2);
    m_rect = {static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2 - x1), static_cast<int>(y2 - y1)};
  }
  m_bitmap.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_rect.width > 0 ? m_rect.width : 1,
                                            m_rect.height > 0 ? m_rect.height : 1));
  m_cr.reset(cairo_create(m_bitmap.get()));
  // Callers draw in the target's coordinates.
  cairo_translate(m_cr.get(), -m_rect.x, -m_rect.y);
}

CMyMemDC::~CMyMemDC() {
  m_cr.reset();
  cairo_surface_flush(m_bitmap.get());
  cairo_save(m_pDC);
  cairo_set_operator(m_pDC, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(m_pDC, m_bitmap.get(), m_rect.x, m_rect.y);
  cairo_rectangle(m_pDC, m_rect.x, m_rect.y, m_rect.width, m_rect.height);
  cairo_fill(m_pDC);
  cairo_restore(m_pDC);
}

// The resource holds the whole .bmp file; the image loader of GDK decodes it.
std::unique_ptr<SkinImage> LoadSkinBitmap(unsigned id) {
  const auto bytes = FindResourceBytes("BITMAP", id);
  if (!bytes || bytes->size == 0) return nullptr;
  GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
  const bool decoded = gdk_pixbuf_loader_write(loader.get(), bytes->data, bytes->size, nullptr) &&
                       gdk_pixbuf_loader_close(loader.get(), nullptr);
  GdkPixbuf* pixbuf = decoded ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
  if (!pixbuf) return nullptr;
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, gdk_pixbuf_get_width(pixbuf),
                                                     gdk_pixbuf_get_height(pixbuf)));
  {
    CairoPtr cr(cairo_create(surface.get()));
    gdk_cairo_set_source_pixbuf(cr.get(), pixbuf, 0, 0);
    cairo_paint(cr.get());
  }
  return std::make_unique<CairoSkinImage>(std::move(surface));
}

std::unique_ptr<SkinImage> LoadSkinImage(unsigned id) {
  CairoSurfacePtr surface = LoadPngImage(id);
  if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return std::make_unique<CairoSkinImage>(std::move(surface));
}

CairoSurface::CairoSurface(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width > 0 ? width : 1, height > 0 ? height : 1)) {}

std::unique_ptr<Canvas> CairoSurface::Paint() {
  return std::make_unique<CairoCanvas>(CairoPtr(cairo_create(surface_.get())));
}

std::unique_ptr<Surface> CairoSurface::Clone() const {
  auto copy = std::make_unique<CairoSurface>(width_, height_);
  CairoPtr cr(cairo_create(copy->surface()));
  cairo_set_source_surface(cr.get(), surface_.get(), 0, 0);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr.get());
  return copy;
}

std::unique_ptr<Surface> CreateSurface(int width, int height) {
  auto surface = std::make_unique<CairoSurface>(width, height);
  if (cairo_surface_status(surface->surface()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return surface;
}

std::unique_ptr<SkinImage> DrawOverImage(const SkinImage& image, const std::function<void(Canvas&)>& paint) {
  const int width = image.Width(), height = image.Height();
  CairoSurfacePtr copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width > 0 ? width : 1, height > 0 ? height : 1));
  if (cairo_surface_status(copy.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  {
    CairoPtr cr(cairo_create(copy.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), static_cast<const CairoSkinImage&>(image).surface(), 0, 0);
    cairo_paint(cr.get());
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    CairoCanvas canvas(cr.get());
    paint(canvas);
  }
  cairo_surface_flush(copy.get());
  return std::make_unique<CairoSkinImage>(std::move(copy));
}

int CairoSkinImage::Width() const { return SurfaceWidth(surface_.get()); }
int CairoSkinImage::Height() const { return SurfaceHeight(surface_.get()); }

namespace {

void SetColour(cairo_t* cr, Argb c) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                        (c >> 24) / 255.0);
}

}  // namespace

void CairoCanvas::DrawImage(const SkinImage& image, int x, int y) {
  const auto& img = static_cast<const CairoSkinImage&>(image);
  cairo_save(cr_);
  cairo_set_source_surface(cr_, img.surface(), x, y);
  cairo_rectangle(cr_, x, y, img.Width(), img.Height());
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::DrawImageColoured(const SkinImage& image, int x, int y, const ColourMatrix& matrix) {
  // A coloured copy of the image: the matrix works on its own pixels.
  const auto& img = static_cast<const CairoSkinImage&>(image);
  const int w = img.Width(), h = img.Height();
  CairoSurfacePtr coloured(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  {
    CairoPtr c(cairo_create(coloured.get()));
    cairo_set_source_surface(c.get(), img.surface(), 0, 0);
    cairo_set_operator(c.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(c.get());
  }
  cairo_surface_flush(coloured.get());
  unsigned char* data = cairo_image_surface_get_data(coloured.get());
  const int stride = cairo_image_surface_get_stride(coloured.get());
  for (int row = 0; row < h; ++row)
    ApplyColourMatrixPremultiplied(matrix, reinterpret_cast<uint32_t*>(data + row * stride), w);
  cairo_surface_mark_dirty(coloured.get());
  cairo_save(cr_);
  cairo_set_source_surface(cr_, coloured.get(), x, y);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::FillTiled(const SkinImage& image, const PixelRect& rect, int originX, int originY) {
  const auto& img = static_cast<const CairoSkinImage&>(image);
  cairo_save(cr_);
  cairo_set_source_surface(cr_, img.surface(), originX, originY);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_REPEAT);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::FillSolid(const PixelRect& rect, Argb colour) {
  cairo_save(cr_);
  SetColour(cr_, colour);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::DrawString(const std::wstring& text, const FontSpec& font, const TextFormat& format,
                             const FloatRect& rect, Argb colour) {
  if (text.empty() || rect.width <= 0 || rect.height <= 0) return;
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
  GObjectPtr<PangoLayout> owned(pango_cairo_create_layout(cr_));
  PangoLayout* layout = owned.get();
  // Pango falls back through fontconfig to the generic sans-serif family
  // when the named family is not installed.
  {
    FontDescriptionPtr desc(pango_font_description_new());
    const std::string family = Utf8FromWide(font.family) + ",sans-serif";
    pango_font_description_set_family(desc.get(), family.c_str());
    pango_font_description_set_absolute_size(desc.get(), font.pixels * PANGO_SCALE);
    pango_font_description_set_weight(desc.get(),
                                      font.style == FontStyle::kBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, desc.get());
  }
  pango_layout_set_width(layout, static_cast<int>(rect.width * PANGO_SCALE));
  pango_layout_set_height(layout, static_cast<int>(rect.height * PANGO_SCALE));
  pango_layout_set_wrap(layout, format.trimming == TextTrimming::kWordEllipsis ? PANGO_WRAP_WORD : PANGO_WRAP_WORD_CHAR);
  pango_layout_set_ellipsize(layout, format.trimming == TextTrimming::kNone ? PANGO_ELLIPSIZE_NONE : PANGO_ELLIPSIZE_END);
  pango_layout_set_alignment(layout, format.align == TextAlign::kCenter ? PANGO_ALIGN_CENTER
                                     : format.align == TextAlign::kFar  ? PANGO_ALIGN_RIGHT
                                                                        : PANGO_ALIGN_LEFT);
  const std::string utf8 = Utf8FromWide(text);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
  SetColour(cr_, colour);
  cairo_move_to(cr_, rect.x, rect.y);
  pango_cairo_show_layout(cr_, layout);
  cairo_restore(cr_);
}

}  // namespace qm
