// The container of the platform web browser control, under Wine. Wine has
// the control (it is created, activated and raises BeforeNavigate2, whose
// Cancel stops the request) but no HTML engine: an allowed page ends in a
// navigation error and DocumentComplete never comes. So the container's
// answers and the navigation catch are tested against the real control here;
// documents, placement on screen and the click report are tested on the Linux
// build with WebKitGTK.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "browser/game_view.h"
#include "browser/web_browser_base.h"
#include "browser/win32/control_site.h"
#include "browser/win32/control_web_view.h"
#include "browser/win32/document_click_sink.h"
#include "platform/win32/owners.h"
#include "update/test_portal.h"

namespace qm {
namespace {

// Lets the control's windows and posted work run for a while.
void PumpMessages(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

// A plain top-level window with a child window in it, which hosts the
// control: the child's parent is then the frame the container names.
class TestWindows {
 public:
  TestWindows() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QmBrowserTestWindow";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);
    top_.reset(CreateWindowExW(0, L"QmBrowserTestWindow", L"browser test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               820, 660, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    host_ = CreateWindowExW(0, L"QmBrowserTestWindow", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 700, 500,
                            top_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpMessages(50);
  }
  HWND top() const { return top_.get(); }
  HWND host() const { return host_; }

 private:
  UniqueHwnd top_;
  HWND host_ = nullptr;  // destroyed with top_
};

struct RecordedEvents : ControlSiteEvents {
  void OnDocumentComplete(const std::wstring& url) override { completed.push_back(url); }
  void OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) override {
    navigations.push_back(url);
    if (url.find(L"play_gamecode") != std::wstring::npos) *cancel = VARIANT_TRUE;
  }
  std::vector<std::wstring> completed, navigations;
};

class ControlSiteTest : public testing::Test {
 protected:
  TestWindows windows_;
  RecordedEvents events_;
};

TEST_F(ControlSiteTest, TheControlIsCreatedAndActivatedUnderWine) {
  ControlSite site(windows_.host(), &events_);
  ASSERT_TRUE(site.created());
  EXPECT_EQ(site.CanInPlaceActivate(), S_FALSE) << "not before activation";
  ASSERT_TRUE(site.ActivateInPlace());
  EXPECT_EQ(site.CanInPlaceActivate(), S_OK);
  EXPECT_NE(site.GetWebBrowser(), nullptr);
  RECT client;
  GetClientRect(windows_.host(), &client);
  EXPECT_TRUE(EqualRect(&site.objectRect(), &client)) << "the first rectangle is the host's client area";
}

TEST_F(ControlSiteTest, QueryInterfaceAnswersTheFiveInterfacesAndNothingElse) {
  ControlSite site(windows_.host(), &events_);
  struct Row {
    const char* name;
    const IID& iid;
    void* expected;
  };
  const std::vector<Row> rows = {
      {"IUnknown", IID_IUnknown, static_cast<IDispatch*>(&site)},
      {"IDispatch", IID_IDispatch, static_cast<IDispatch*>(&site)},
      {"IOleClientSite", IID_IOleClientSite, static_cast<IOleClientSite*>(&site)},
      {"IOleWindow", IID_IOleWindow, static_cast<IOleInPlaceSite*>(&site)},
      {"IOleInPlaceSite", IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(&site)},
      {"IOleInPlaceUIWindow", IID_IOleInPlaceUIWindow, static_cast<IOleInPlaceFrame*>(&site)},
      {"IOleInPlaceFrame", IID_IOleInPlaceFrame, static_cast<IOleInPlaceFrame*>(&site)},
      {"IDocHostUIHandler", IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&site)},
      {"DWebBrowserEvents2", DIID_DWebBrowserEvents2, nullptr},
      {"IOleObject", IID_IOleObject, nullptr},
      {"IConnectionPointContainer", IID_IConnectionPointContainer, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    void* out = reinterpret_cast<void*>(0x1234);
    const LONG before = site.refCount();
    const HRESULT result = site.QueryInterface(row.iid, &out);
    EXPECT_EQ(out, row.expected);
    if (row.expected) {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(site.refCount(), before + 1);
      site.Release();
    } else {
      EXPECT_EQ(result, E_NOINTERFACE);
      EXPECT_EQ(site.refCount(), before);
    }
  }
  // One count behind every interface.
  const LONG before = site.refCount();
  EXPECT_EQ(static_cast<IOleClientSite*>(&site)->AddRef(), static_cast<ULONG>(before + 1));
  EXPECT_EQ(static_cast<IDocHostUIHandler*>(&site)->AddRef(), static_cast<ULONG>(before + 2));
  EXPECT_EQ(static_cast<IOleInPlaceFrame*>(&site)->Release(), static_cast<ULONG>(before + 1));
  EXPECT_EQ(static_cast<IDispatch*>(&site)->Release(), static_cast<ULONG>(before));
}

TEST_F(ControlSiteTest, ReleaseToZeroLeavesTheObjectAlive) {
  auto site = std::make_unique<ControlSite>(nullptr, &events_);
  const LONG held = site->refCount();  // the control's own references
  for (LONG i = held; i > 0; --i) EXPECT_EQ(site->Release(), static_cast<ULONG>(i - 1));
  EXPECT_EQ(site->refCount(), 0);
  // Still a working object: it answers and counts again.
  IOleClientSite* clientSite = nullptr;
  EXPECT_EQ(site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite)), S_OK);
  EXPECT_EQ(clientSite->Release(), 0u);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_EQ(site->GetWindow(&window), S_OK);
  EXPECT_EQ(window, nullptr);
  // Give the control its references back before the owner deletes the site.
  for (LONG i = 0; i < held; ++i) site->AddRef();
  site.reset();
}

TEST_F(ControlSiteTest, ContainerMethodsGiveTheirAnswers) {
  ControlSite site(windows_.host(), &events_);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(site.GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker), E_NOTIMPL);
  EXPECT_EQ(moniker, nullptr);
  IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
  EXPECT_EQ(site.GetContainer(&container), E_FAIL);
  EXPECT_EQ(container, nullptr);
  IDispatch* external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(site.GetExternal(&external), S_OK);
  EXPECT_EQ(external, nullptr);
  EXPECT_EQ(site.ShowContextMenu(0, nullptr, nullptr, nullptr), E_NOTIMPL) << "the engine's own menu";
  EXPECT_EQ(site.Scroll(SIZE{1, 1}), E_NOTIMPL);
  EXPECT_EQ(site.ContextSensitiveHelp(TRUE), E_NOTIMPL);
  EXPECT_EQ(site.TranslateAccelerator(nullptr, WORD{0}), E_NOTIMPL);
  EXPECT_EQ(site.TranslateAccelerator(nullptr, nullptr, 0), E_NOTIMPL);
  EXPECT_EQ(site.SaveObject(), S_OK);
  EXPECT_EQ(site.OnPosRectChange(nullptr), S_OK);

  DOCHOSTUIINFO info{};
  info.cbSize = sizeof info;
  info.dwFlags = DOCHOSTUIFLAG_DIALOG;
  EXPECT_EQ(site.GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DOUTERBORDER));

  HWND window = nullptr;
  EXPECT_EQ(static_cast<IOleInPlaceSite*>(&site)->GetWindow(&window), S_OK);
  EXPECT_EQ(window, windows_.host());
  window = nullptr;
  EXPECT_EQ(static_cast<IOleInPlaceFrame*>(&site)->GetWindow(&window), S_OK);
  EXPECT_EQ(window, windows_.host());

  RECT client;
  GetClientRect(windows_.host(), &client);
  RECT border{};
  EXPECT_EQ(site.GetBorder(&border), S_OK);
  EXPECT_TRUE(EqualRect(&border, &client));

  ComPtr<IOleInPlaceFrame> frame;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.haccel = reinterpret_cast<HACCEL>(1);
  frameInfo.cAccelEntries = 5;
  const LONG before = site.refCount();
  EXPECT_EQ(site.GetWindowContext(frame.GetAddressOf(), &document, &position, &clip, &frameInfo), S_OK);
  EXPECT_EQ(frame.Get(), static_cast<IOleInPlaceFrame*>(&site));
  EXPECT_EQ(site.refCount(), before + 1) << "the frame comes with a reference";
  frame.Reset();
  EXPECT_EQ(document, nullptr);
  EXPECT_TRUE(EqualRect(&position, &client));
  EXPECT_TRUE(EqualRect(&clip, &client));
  EXPECT_EQ(frameInfo.cb, sizeof(OLEINPLACEFRAMEINFO));
  EXPECT_FALSE(frameInfo.fMDIApp);
  EXPECT_EQ(frameInfo.hwndFrame, windows_.top());
  EXPECT_EQ(frameInfo.haccel, nullptr);
  EXPECT_EQ(frameInfo.cAccelEntries, 0u);
}

// Event arguments as the control passes them: in reverse order, URLs as
// references to variants holding strings.
TEST_F(ControlSiteTest, EventsAreDispatchedByDispatchId) {
  ControlSite site(windows_.host(), &events_);
  const UniqueBstr url(SysAllocString(L"http://127.0.0.1/qmr/play_gamecode/svname/x/?uid=1"));
  VARIANT urlValue;
  VariantInit(&urlValue);
  urlValue.vt = VT_BSTR;
  urlValue.bstrVal = url.get();
  VARIANT_BOOL cancel = VARIANT_FALSE;

  VARIANT arguments[7];
  for (VARIANT& argument : arguments) VariantInit(&argument);
  arguments[5].vt = VT_BYREF | VT_VARIANT;
  arguments[5].pvarVal = &urlValue;
  arguments[0].vt = VT_BYREF | VT_BOOL;
  arguments[0].pboolVal = &cancel;
  DISPPARAMS before{arguments, nullptr, 7, 0};
  EXPECT_EQ(site.Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &before, nullptr, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(events_.navigations.size(), 1u);
  EXPECT_EQ(events_.navigations[0], L"http://127.0.0.1/qmr/play_gamecode/svname/x/?uid=1");
  EXPECT_EQ(cancel, VARIANT_TRUE) << "the cancel flag reaches the control";

  VARIANT completeArguments[2];
  for (VARIANT& argument : completeArguments) VariantInit(&argument);
  completeArguments[0].vt = VT_BYREF | VT_VARIANT;
  completeArguments[0].pvarVal = &urlValue;
  DISPPARAMS complete{completeArguments, nullptr, 2, 0};
  EXPECT_EQ(site.Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &complete, nullptr, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(events_.completed.size(), 1u);
  EXPECT_EQ(events_.completed[0], L"http://127.0.0.1/qmr/play_gamecode/svname/x/?uid=1");

  // Every other event, ambient property queries included, reaches nothing.
  for (DISPID other : {DISPID_NAVIGATECOMPLETE2, DISPID_NEWWINDOW2, DISPID_NAVIGATEERROR, DISPID_NEWWINDOW3,
                       DISPID_TITLECHANGE, DISPID_AMBIENT_DLCONTROL, DISPID_AMBIENT_USERMODE, -5502}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(site.Invoke(other, IID_NULL, 0, DISPATCH_METHOD, &before, nullptr, nullptr, nullptr), E_NOTIMPL);
  }
  EXPECT_EQ(events_.navigations.size(), 1u);
  EXPECT_EQ(events_.completed.size(), 1u);

  // Malformed arguments are not read.
  DISPPARAMS empty{nullptr, nullptr, 0, 0};
  EXPECT_EQ(site.Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &empty, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(events_.navigations.size(), 1u);
}

TEST_F(ControlSiteTest, PlacementStoresBeforeActivationAndMovesTheControlAfter) {
  ControlSite site(windows_.host(), &events_);
  const RECT first{20, 30, 320, 230};
  ASSERT_TRUE(site.PlaceControl(first));
  EXPECT_TRUE(EqualRect(&site.objectRect(), &first));
  EXPECT_EQ(site.ControlWindow(), nullptr) << "nothing placed before activation";
  ASSERT_TRUE(site.ActivateInPlace());
  // The stored rectangle went to DoVerb; the control then asked for its
  // window context, whose answer is the host's client area.
  RECT client;
  GetClientRect(windows_.host(), &client);
  EXPECT_TRUE(EqualRect(&site.objectRect(), &client));

  const auto controlRect = [&] {
    RECT r{};
    HWND control = site.ControlWindow();
    if (!control) return r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, windows_.host(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT placed{40, 61, 40 + 600, 61 + 400};
  ASSERT_TRUE(site.PlaceControl(placed));
  PumpMessages(50);
  RECT actual = controlRect();
  EXPECT_TRUE(EqualRect(&actual, &placed)) << actual.left << "," << actual.top << "," << actual.right << ","
                                           << actual.bottom;
  ASSERT_TRUE(site.PlaceControl(RECT{}));
  PumpMessages(50);
  actual = controlRect();
  EXPECT_TRUE(IsRectEmpty(&actual)) << "the all-zero rectangle leaves no visible area";
  EXPECT_TRUE(site.PlaceControl(placed));
  actual = controlRect();
  EXPECT_TRUE(EqualRect(&actual, &placed)) << "shown again";
}

// Through the real control and the real demo portal: the game URL is caught
// in BeforeNavigate2, cancelled there, and never requested. A second
// activation connects no second sink, so the event arrives once.
TEST_F(ControlSiteTest, GameUrlNavigationIsCancelledBeforeTheRequest) {
  test::TestPortal portal;
  ASSERT_TRUE(portal.running());
  ControlSite site(windows_.host(), &events_);
  ASSERT_TRUE(site.ActivateInPlace());
  ASSERT_TRUE(site.ActivateInPlace()) << "a second activation answers true";
  EXPECT_EQ(site.adviseCount(), 1);

  const std::wstring gameUrl =
      test::TestPortal::BaseUrl() + L"/qmr/play_gamecode/svname/%E9%BE%99%E8%85%BE/?uid=acc&key=1";
  site.Navigate(gameUrl.c_str());
  PumpMessages(1500);
  ASSERT_EQ(events_.navigations, (std::vector<std::wstring>{gameUrl}));
  for (const std::string& request : portal.Requests())
    EXPECT_EQ(request.find("play_gamecode"), std::string::npos) << request;
}

// The upper layer over the web view, as the web login dialog uses it.
class LoginHost : public CWebBrowserBase {
 public:
  explicit LoginHost(HWND host) : host_(host) {}
  NativeWindow GetHostWindow() override { return host_; }
  void OnDocumentComplete(std::wstring url) override { completed.push_back(url); }
  void OnBeforeNavigate2(std::wstring url, bool* cancel) override {
    navigations.push_back(url);
    if (url.find(L"play_gamecode") != std::wstring::npos) *cancel = true;
  }
  std::vector<std::wstring> completed, navigations;

 private:
  HWND host_;
};

TEST_F(ControlSiteTest, BrowserHostCatchesTheGameUrlThroughTheRealControl) {
  test::TestPortal portal;
  ASSERT_TRUE(portal.running());
  LoginHost host(windows_.host());
  EXPECT_EQ(host.GetWebBrowser(), nullptr);
  ASSERT_TRUE(host.ActivateInPlace());
  ASSERT_TRUE(host.ActivateInPlace());
  EXPECT_NE(host.GetWebBrowser(), nullptr);
  EXPECT_EQ(host.FindDocumentWindow(), nullptr) << "no document window without an HTML engine";
  EXPECT_TRUE(host.PlaceControl({}));

  const std::wstring gameUrl = test::TestPortal::BaseUrl() + L"/qmr/play_gamecode/svname/s1/?uid=host";
  host.Navigate(gameUrl);
  PumpMessages(1000);
  EXPECT_EQ(host.navigations, (std::vector<std::wstring>{gameUrl}));
  for (const std::string& request : portal.Requests())
    EXPECT_EQ(request.find("play_gamecode"), std::string::npos) << request;
}

TEST_F(ControlSiteTest, BrowserHostWithoutHostWindowDoesNotActivate) {
  CWebBrowserBase host;
  EXPECT_FALSE(host.ActivateInPlace());
  EXPECT_FALSE(host.Navigate(L"about:blank"));
  EXPECT_EQ(host.GetWebBrowser(), nullptr);
  EXPECT_EQ(host.FindDocumentWindow(), nullptr);
}

// Deleting the view with the control embedded, connected and navigating must
// leave nothing behind that calls into freed memory; repeated, so that an
// unbalanced OleInitialize or a leaked connection would show.
TEST_F(ControlSiteTest, ShutDownWhileConnectedAndNavigating) {
  for (int round = 0; round < 3; ++round) {
    auto view = WebView::Create(windows_.host(), WebViewSettings{});
    ASSERT_TRUE(view);
    int calls = 0;
    view->SetBeforeNavigate([&](const std::wstring&, NavigationTarget, bool*) { ++calls; });
    view->Navigate(L"http://127.0.0.1:9/nothing-listens-here");
    EXPECT_EQ(calls, 1);
    view.reset();
    PumpMessages(300);
  }
  // The apartment is the one the thread had before: a fresh OleInitialize
  // answers "already initialised" only if someone left it initialised.
  const HRESULT again = OleInitialize(nullptr);
  EXPECT_EQ(again, S_OK) << "every OleInitialize of the views was balanced";
  if (SUCCEEDED(again)) OleUninitialize();
}

TEST_F(ControlSiteTest, GameViewLivesOnTheControl) {
  CMyHtmlView game;
  ASSERT_TRUE(game.Create(windows_.host()));
  EXPECT_FALSE(game.Create(windows_.host())) << "one view";
  EXPECT_TRUE(game.MoveWindow({0, 0, 700, 500}));
  int calls = 0;
  game.webView()->SetBeforeNavigate([&](const std::wstring&, NavigationTarget, bool* cancel) {
    ++calls;
    EXPECT_FALSE(*cancel);
  });
  game.Navigate(L"http://127.0.0.1:9/game");
  EXPECT_EQ(calls, 1);
  game.DestroyWindow();
  EXPECT_EQ(game.webView(), nullptr);
  EXPECT_FALSE(game.Navigate(L"http://127.0.0.1:9/game"));
}

// The click sink: its interfaces and its one event. (Its walk over the page's
// elements needs an HTML engine: see the Linux tests for the click report.)
TEST(DocumentClickSinkTest, AnswersItsInterfacesAndOnlyTheClick) {
  std::vector<std::wstring> clicks;
  SDocEvtHandler sink([&](const std::wstring& href) { clicks.push_back(href); });
  const GUID documentEvents = {0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
  const GUID elementEvents = {0x3050f617, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
  for (const GUID* iid : {&IID_IUnknown, &IID_IDispatch, &documentEvents, &elementEvents}) {
    void* out = nullptr;
    EXPECT_EQ(sink.QueryInterface(*iid, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&sink));
    sink.Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(sink.QueryInterface(IID_IOleClientSite, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  argument.pdispVal = nullptr;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXPECT_EQ(sink.Invoke(-600, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK)
      << "a click without event object is ignored";
  EXPECT_NE(sink.Invoke(-601, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
  EXPECT_TRUE(clicks.empty());

  sink.AttachDocumentSink(nullptr);
  EXPECT_FALSE(sink.attached()) << "no document, no connection";
}

}  // namespace
}  // namespace qm
