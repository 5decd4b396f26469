// Test-only program for the skinned controls.
//   qm_ui_probe <title> <text>  shows the message box; the exit code is its
//                               answer.
//   qm_ui_probe button          shows a window named "Probe-Button" with one
//                               image button (the full-screen caption button
//                               with its tooltip) at (20, 20), 85 x 24;
//                               Esc ends it with the number of clicks as the
//                               exit code.
#include <string>
#include <vector>

#include "base/text.h"
#include "ui/message_box.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "ui/win32/touch_button.h"
#else
#include <gdk/gdkkeysyms.h>

#include "ui/linux/skin_image.h"
#include "ui/linux/touch_button.h"
#endif

namespace {

constexpr int kButtonId = 1004;
const wchar_t kToolTip[] = L"全屏/取消全屏（快捷键F11）";

#ifdef _WIN32

int g_clicks = 0;
qm::CTouchButton* g_button = nullptr;

void PaintBackground(HWND hwnd, HDC dc) {
  RECT r{};
  GetClientRect(hwnd, &r);
  HBRUSH brush = CreateSolidBrush(RGB(0x2A, 0x20, 0x17));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT reflected = 0;
  if (qm::ReflectToButton(hwnd, msg, wParam, lParam, &reflected)) return reflected;
  switch (msg) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      PaintBackground(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) ++g_clicks;
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_clicks);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

int RunButton() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QmProbeHost";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  RECT r{0, 0, 240, 80};
  AdjustWindowRect(&r, WS_POPUP, FALSE);
  HWND host = CreateWindowExW(0, wc.lpszClassName, L"Probe-Button", WS_POPUP | WS_VISIBLE, 300, 300, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 20, 20, 85, 24, host,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), wc.hInstance, nullptr);
  qm::CTouchButton button;
  g_button = &button;
  button.SubclassDlgItem(kButtonId, host);
  button.SetStateImages(224, 214, 234);
  button.SetToolTipText(kToolTip, TRUE);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      DestroyWindow(host);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return g_clicks;
}

#else

struct ButtonRun {
  GMainLoop* loop = nullptr;
  int clicks = 0;
};

void PaintBackground(cairo_t* cr) {
  cairo_set_source_rgb(cr, 0x2A / 255.0, 0x20 / 255.0, 0x17 / 255.0);
  cairo_paint(cr);
}

int RunButton() {
  if (!qm::EnsureGtk()) return 100;
  ButtonRun run;
  run.loop = g_main_loop_new(nullptr, FALSE);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Probe-Button");
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_widget_set_size_request(window, 240, 80);
  gtk_window_move(GTK_WINDOW(window), 300, 300);
  gtk_widget_set_app_paintable(window, TRUE);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window), fixed);
  g_signal_connect(fixed, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer) -> gboolean {
                     PaintBackground(cr);
                     return FALSE;
                   }),
                   nullptr);
  g_signal_connect(window, "key-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventKey* e, gpointer data) -> gboolean {
                     if (e->keyval == GDK_KEY_Escape) g_main_loop_quit(static_cast<ButtonRun*>(data)->loop);
                     return TRUE;
                   }),
                   &run);
  qm::CTouchButton button;
  button.Create(fixed, kButtonId, PaintBackground, [&run](int) { ++run.clicks; });
  button.SetWindowPos(20, 20, 85, 24);
  button.SetStateImages(224, 214, 234);
  button.SetToolTipText(kToolTip, true);
  gtk_widget_show_all(window);
  g_main_loop_run(run.loop);
  gtk_widget_destroy(window);
  g_main_loop_unref(run.loop);
  return run.clicks;
}

#endif

int Run(const std::vector<std::wstring>& args) {
  if (args.size() == 2 && args[1] == L"button") return RunButton();
  if (args.size() < 3) return 100;
  qm::CCustomMessageBox box;
  box.SetTexts(args[1], args[2]);
  return box.DoModal();
}

}  // namespace

#ifdef _WIN32
int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args(argv, argv + count);
  LocalFree(argv);
  return Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) args.push_back(qm::WideFromUtf8(argv[i]));
  return Run(args);
}
#endif
