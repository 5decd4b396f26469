// A window host that only records what its controller asks of it, for the
// unit tests of controllers' rules on both builds. The real hosts are tested
// on the virtual display (host_gui_test.cpp).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/window_host.h"

namespace qm {

class FakeWindowHost : public WindowHost {
 public:
  // What the fake window system reports.
  PixelRect workArea{0, 0, 1600, 1000};
  PixelRect screenArea{0, 0, 1600, 1000};
  std::optional<PixelRect> ownerBounds;

  // What the controller asked for.
  bool visible = false;
  ShowState state = ShowState::kRestored;
  PixelRect bounds;
  std::wstring title;
  std::map<int, int> timers;  // id -> period
  std::vector<int> modalEnds;
  int invalidations = 0;
  int moveDrags = 0;
  bool closed = false;

  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  bool IsVisible() const override { return visible; }
  void Activate() override { visible = true; }
  void Minimize() override { state = ShowState::kMinimized; }
  void Maximize() override { state = ShowState::kMaximized; }
  void Restore() override { state = ShowState::kRestored; }
  ShowState State() const override { return state; }
  void SetBounds(const PixelRect& b) override { bounds = b; }
  PixelRect Bounds() const override { return bounds; }
  PixelSize ClientSize() const override { return {bounds.width, bounds.height}; }
  void Invalidate() override { ++invalidations; }
  void Invalidate(const PixelRect&) override { ++invalidations; }
  void StartTimer(int id, int periodMs) override { timers[id] = periodMs; }
  void StopTimer(int id) override { timers.erase(id); }
  int RunModal() override { return modalEnds.empty() ? 0 : modalEnds.back(); }
  void EndModal(int result) override { modalEnds.push_back(result); }
  bool InModalRun() const override { return true; }
  void Close() override { closed = true; }
  void BeginMoveDrag() override { ++moveDrags; }
  void SetTitle(const std::wstring& t) override { title = t; }
  NativeWindow ChildParent() const override { return nullptr; }
  NativeWindow Native() const override { return nullptr; }
  std::optional<PixelRect> OwnerBounds() const override { return ownerBounds; }
  PixelRect WorkArea() const override { return workArea; }
  PixelRect ScreenArea() const override { return screenArea; }
  bool SetAlphaFace(const SkinImage&) override { return true; }
  void SetColourKey(Argb) override {}
  void SetOpacity(uint8_t) override {}
};

}  // namespace qm
