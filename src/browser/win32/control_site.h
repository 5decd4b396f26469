// The container of the platform web browser control: the lower layer of the
// web view on Windows. It answers the container interfaces the control asks
// for (client site, in-place site and frame, host UI handler) and is the
// control's event sink, turning BeforeNavigate2 and DocumentComplete into
// calls of its ControlSiteEvents.
//
// The five interfaces share one reference count and one QueryInterface. The
// count never frees the object: its owner creates it, keeps it and deletes it.
// The destructor shuts the control down first (event connection ended,
// control deactivated and closed, its client site taken back, interfaces
// released, OleInitialize balanced), so no call of the control reaches a
// freed container.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <string>

#include "platform/win32/owners.h"

namespace qm {

class ControlSiteEvents {
 public:
  virtual ~ControlSiteEvents() = default;
  // DISPID_DOCUMENTCOMPLETE (259): url of the completed document.
  virtual void OnDocumentComplete(const std::wstring& url) = 0;
  // DISPID_BEFORENAVIGATE2 (250): setting *cancel to VARIANT_TRUE stops the
  // navigation.
  virtual void OnBeforeNavigate2(const std::wstring& url, VARIANT_BOOL* cancel) = 0;
};

class ControlSite : public IDispatch,
                    public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IDocHostUIHandler {
 public:
  // Creates the control (OleInitialize, a temporary compound storage, the
  // control with this object as its client site, its in-place object). A
  // failure leaves the interfaces null; the operations then answer false or
  // null. hostWindow is the window the control is placed in; events may be
  // null when nobody listens.
  ControlSite(HWND hostWindow, ControlSiteEvents* events);
  virtual ~ControlSite();
  ControlSite(const ControlSite&) = delete;
  ControlSite& operator=(const ControlSite&) = delete;

  // In-place activation into the host window at the stored object rectangle
  // (the host's client rectangle when that is empty), then the event
  // connection. A second call returns true at once and connects nothing more.
  bool ActivateInPlace();
  // Sets the control's extent and object rectangles; before activation only
  // stores rect. The all-zero rectangle gives the control no visible area. A
  // failure keeps the previous rectangle.
  bool PlaceControl(const RECT& rect);
  bool Navigate(const wchar_t* url);
  // The control's browser interface, asked for once and kept; no reference
  // added for the caller.
  IWebBrowser2* GetWebBrowser();
  // The engine's window of class "Internet Explorer_Server" in the first-child
  // chain below the shell browser's window; null when there is none.
  HWND FindDocumentWindow();
  // The control's own window (the in-place object's window); null before
  // activation.
  HWND ControlWindow();

  bool created() const { return m_oleObject != nullptr; }
  bool activated() const { return m_activated; }
  const RECT& objectRect() const { return m_objectRect; }
  LONG refCount() const { return m_refCount; }
  // How many event connections this site has made (0 or 1).
  int adviseCount() const { return adviseCount_; }

  HWND GetHostWindow() const { return hostWindow_; }

  // IUnknown, shared by the five interfaces.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch: the event sink of the control.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow (of the in-place site and of the frame)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE) override;
  STDMETHODIMP OnUIDeactivate(BOOL) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT) override;

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override;
  STDMETHODIMP RemoveMenus(HMENU) override;
  STDMETHODIMP SetStatusText(LPCOLESTR) override;
  STDMETHODIMP EnableModeless(BOOL) override;  // also IDocHostUIHandler's
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP OnDocWindowActivate(BOOL) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override;
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override;
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR*) override;
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override;

 private:
  RECT HostClientRect() const;
  void Shutdown();

  // Declared first: the library stays initialised until every interface
  // below has been let go.
  OleInitialization ole_;
  HWND hostWindow_;
  ControlSiteEvents* events_;

  volatile LONG m_refCount = 0;
  RECT m_objectRect{};
  bool m_activated = false;
  ComPtr<IStorage> m_storage;
  ComPtr<IOleObject> m_oleObject;
  ComPtr<IOleInPlaceObject> m_inPlaceObject;
  ComPtr<IWebBrowser2> m_webBrowser;
  // The event connection: its point and cookie, so that it can be ended.
  ComPtr<IConnectionPoint> eventPoint_;
  DWORD eventCookie_ = 0;
  int adviseCount_ = 0;
};

}  // namespace qm
