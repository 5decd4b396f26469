#include "ui/message_box_layout.h"
#include "ui/ui_ids.h"
#include "recording_canvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

TEST(MessageBoxLayout, PlacesButtonsFromClientEdges) {
  const MessageBoxLayout l = LayOutMessageBox(kMessageBoxWidth, kMessageBoxHeight);
  EXPECT_EQ(l.close.rect, (PixelRect{228, 10, 28, 26}));
  EXPECT_EQ(l.ok.rect, (PixelRect{45, 61, 82, 34}));
  EXPECT_EQ(l.cancel.rect, (PixelRect{137, 61, 82, 34}));
  EXPECT_EQ(l.close.id, 1001);
  EXPECT_EQ(l.ok.id, IDOK);
  EXPECT_EQ(l.cancel.id, IDCANCEL);
  EXPECT_EQ(l.ok.normalImage, 314u);
  EXPECT_EQ(l.ok.hoverImage, 313u);
  EXPECT_EQ(l.cancel.normalImage, 312u);
  EXPECT_EQ(l.cancel.pressedImage, 311u);
  EXPECT_EQ(l.close.hoverImage, 316u);
  // Short texts centre about x = 135 (title) and x = 138 (message).
  EXPECT_FLOAT_EQ(l.titleRect.x + l.titleRect.width / 2, 135);
  EXPECT_FLOAT_EQ(l.textRect.x + l.textRect.width / 2, 138);
}

TEST(MessageBoxLayout, FontsAndFormat) {
  EXPECT_EQ(MessageBoxTitleFont().family, L"微软雅黑");
  EXPECT_EQ(MessageBoxTitleFont().pixels, 15);
  EXPECT_EQ(MessageBoxTitleFont().style, FontStyle::kBold);
  EXPECT_EQ(MessageBoxTextFont().family, L"arial");
  EXPECT_EQ(MessageBoxTextFont().pixels, 11);
  EXPECT_EQ(MessageBoxTextFormat().align, TextAlign::kCenter);
  EXPECT_EQ(MessageBoxTextFormat().trimming, TextTrimming::kCharacterEllipsis);
}

class FakeImage : public SkinImage {
 public:
  int Width() const override { return 253; }
  int Height() const override { return 106; }
};

TEST(MessageBoxFace, BackgroundThenTitleThenTextInGold) {
  RecordingCanvas canvas;
  FakeImage background;
  PaintMessageBoxFace(canvas, &background, L"卸载", L"您是否确认卸载《Quellmoor》？");
  ASSERT_EQ(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[0].what, "image 253 at 0,0");
  EXPECT_EQ(canvas.calls[1].what, "text 15");
  EXPECT_EQ(canvas.calls[1].text, L"卸载");
  EXPECT_EQ(canvas.calls[1].rect.x, 85);
  EXPECT_EQ(canvas.calls[1].rect.height, 25);
  EXPECT_EQ(canvas.calls[1].colour, 0xFFDAC29Du);
  EXPECT_EQ(canvas.calls[2].what, "text 11");
  EXPECT_EQ(canvas.calls[2].rect.y, 33);
  EXPECT_EQ(canvas.calls[2].rect.width, 220);
}

TEST(MessageBoxFace, MissingBackgroundStillDrawsTexts) {
  RecordingCanvas canvas;
  PaintMessageBoxFace(canvas, nullptr, L"t", L"m");
  ASSERT_EQ(canvas.calls.size(), 2u);
  EXPECT_EQ(canvas.calls[0].text, L"t");
}

struct CentreCase {
  PixelRect area;
  PixelPoint expected;
};

void PrintTo(const CentreCase& c, std::ostream* os) {
  *os << c.area.x << "," << c.area.y << " " << c.area.width << "x" << c.area.height;
}

class CentreTest : public testing::TestWithParam<CentreCase> {};

TEST_P(CentreTest, CentresBox) {
  EXPECT_EQ(CentreOver(GetParam().area, kMessageBoxWidth, kMessageBoxHeight), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Areas, CentreTest,
                         testing::Values(CentreCase{{0, 0, 1600, 1000}, {673, 447}},
                                         CentreCase{{100, 50, 600, 400}, {273, 197}},
                                         // an owner smaller than the box
                                         CentreCase{{500, 500, 100, 50}, {424, 472}}));

TEST(KeepInside, MovesTheLeastNeeded) {
  const PixelRect screen{0, 0, 800, 600};
  EXPECT_EQ(KeepInside(screen, {10, 20}, 253, 106), (PixelPoint{10, 20}));
  EXPECT_EQ(KeepInside(screen, {-40, -5}, 253, 106), (PixelPoint{0, 0}));
  EXPECT_EQ(KeepInside(screen, {700, 550}, 253, 106), (PixelPoint{547, 494}));
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(TrimWithEllipsis, KeepsFittingTextAndCutsTheRest) {
  auto upTo = [](size_t n) { return [n](const std::wstring& s) { return s.size() <= n; }; };
  EXPECT_EQ(TrimWithEllipsis(L"short", upTo(10)), L"short");
  EXPECT_EQ(TrimWithEllipsis(L"abcdefghij", upTo(5)), L"abcd\u2026");
  // A space before the cut is not kept before the ellipsis.
  EXPECT_EQ(TrimWithEllipsis(L"abc defghij", upTo(5)), L"abc\u2026");
  EXPECT_EQ(TrimWithEllipsis(L"abcdef", upTo(0)), L"\u2026");
  EXPECT_EQ(TrimWithEllipsis(L"", upTo(0)), L"");
}

}  // namespace
}  // namespace qm
