#include "browser/win32/control_site.h"

#include <exdispid.h>
#include <ocidl.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace qm {
namespace {

// The text of an event argument: a string, directly or behind a reference to
// a variant (as the control passes URLs). Empty for anything else.
std::wstring VariantText(const VARIANT& argument) {
  const VARIANT* value = &argument;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
  if (value->vt == VT_BSTR && value->bstrVal) return std::wstring(value->bstrVal, SysStringLen(value->bstrVal));
  if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal && *value->pbstrVal)
    return std::wstring(*value->pbstrVal, SysStringLen(*value->pbstrVal));
  return {};
}

bool SameClassName(HWND window, const wchar_t* name) {
  wchar_t className[260] = {};
  if (!GetClassNameW(window, className, 260)) return false;
  return CompareStringOrdinal(className, -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

ControlSite::ControlSite(HWND hostWindow, ControlSiteEvents* events) : hostWindow_(hostWindow), events_(events) {
  if (!ole_.ok()) return;
  if (FAILED(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &m_storage)))
    return;
  ComPtr<IOleObject> control;
  if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr,
                       static_cast<IOleClientSite*>(this), m_storage.Get(), reinterpret_cast<void**>(control.GetAddressOf()))))
    return;
  m_oleObject = control;
  m_oleObject.As(&m_inPlaceObject);
}

ControlSite::~ControlSite() { Shutdown(); }

// The control is still embedded and connected when the owner deletes us: end
// the event connection, deactivate and close the control, take our client
// site back from it and let go of every interface; ole_, the last member to
// go, then balances OleInitialize.
// After this nothing of the control holds a pointer to this object.
void ControlSite::Shutdown() {
  if (eventPoint_) {
    eventPoint_->Unadvise(eventCookie_);
    eventPoint_.Reset();
  }
  if (m_inPlaceObject && m_activated) m_inPlaceObject->InPlaceDeactivate();
  if (m_oleObject) {
    m_oleObject->Close(OLECLOSE_NOSAVE);
    m_oleObject->SetClientSite(nullptr);
  }
  m_webBrowser.Reset();
  m_inPlaceObject.Reset();
  m_oleObject.Reset();
  m_storage.Reset();
}

RECT ControlSite::HostClientRect() const {
  RECT rect{};
  if (hostWindow_) GetClientRect(hostWindow_, &rect);
  return rect;
}

bool ControlSite::ActivateInPlace() {
  if (!m_oleObject) return false;
  if (m_objectRect.right - m_objectRect.left == 0 || m_objectRect.bottom - m_objectRect.top == 0)
    m_objectRect = HostClientRect();
  if (m_activated) return true;
  m_activated = true;
  if (FAILED(m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                                 hostWindow_, &m_objectRect)))
    return false;
  IWebBrowser2* browser = GetWebBrowser();
  if (!browser) return false;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()))))
    return false;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) return false;
  DWORD cookie = 0;
  if (FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie))) return false;
  eventPoint_ = point;
  eventCookie_ = cookie;
  ++adviseCount_;
  return true;
}

bool ControlSite::PlaceControl(const RECT& rect) {
  if (m_activated) {
    if (!m_oleObject || !m_inPlaceObject) return false;
    SIZEL extent{rect.right - rect.left, rect.bottom - rect.top};
    if (FAILED(m_oleObject->SetExtent(DVASPECT_CONTENT, &extent))) return false;
    if (FAILED(m_inPlaceObject->SetObjectRects(&rect, &rect))) return false;
  }
  m_objectRect = rect;
  return true;
}

bool ControlSite::Navigate(const wchar_t* url) {
  IWebBrowser2* browser = GetWebBrowser();
  if (!browser || !url) return false;
  const UniqueBstr text(SysAllocString(url));
  if (!text) return false;
  return SUCCEEDED(browser->Navigate(text.get(), nullptr, nullptr, nullptr, nullptr));
}

IWebBrowser2* ControlSite::GetWebBrowser() {
  if (!m_webBrowser && m_oleObject) m_oleObject.As(&m_webBrowser);
  return m_webBrowser.Get();
}

HWND ControlSite::FindDocumentWindow() {
  IWebBrowser2* browser = GetWebBrowser();
  if (!browser) return nullptr;
  ComPtr<IServiceProvider> services;
  if (FAILED(browser->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.GetAddressOf()))))
    return nullptr;
  ComPtr<IOleWindow> shellWindow;
  if (FAILED(services->QueryService(SID_SShellBrowser, IID_IOleWindow,
                                    reinterpret_cast<void**>(shellWindow.GetAddressOf()))))
    return nullptr;
  HWND window = nullptr;
  if (FAILED(shellWindow->GetWindow(&window))) return nullptr;
  for (HWND child = window ? ::GetWindow(window, GW_CHILD) : nullptr; child; child = ::GetWindow(child, GW_CHILD)) {
    if (SameClassName(child, L"Internet Explorer_Server")) return child;
  }
  return nullptr;
}

HWND ControlSite::ControlWindow() {
  HWND window = nullptr;
  if (m_inPlaceObject && m_activated) m_inPlaceObject->GetWindow(&window);
  return window;
}

// IUnknown

STDMETHODIMP ControlSite::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(riid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (IsEqualIID(riid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ControlSite::AddRef() { return InterlockedIncrement(&m_refCount); }

// Reaching 0 frees nothing: the owner deletes the object.
STDMETHODIMP_(ULONG) ControlSite::Release() { return InterlockedDecrement(&m_refCount); }

// IDispatch

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

// The control's events arrive here by DISPID, their arguments in reverse
// order. Arguments that are missing or of another type than the event
// defines are not read: the event is then answered without a call.
STDMETHODIMP ControlSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                 UINT*) {
  switch (dispIdMember) {
    case DISPID_DOCUMENTCOMPLETE:
      if (params && params->rgvarg && params->cArgs >= 2 && events_)
        events_->OnDocumentComplete(VariantText(params->rgvarg[0]));
      return S_OK;
    case DISPID_BEFORENAVIGATE2:
      if (params && params->rgvarg && params->cArgs >= 7 && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL) &&
          params->rgvarg[0].pboolVal && events_)
        events_->OnBeforeNavigate2(VariantText(params->rgvarg[5]), params->rgvarg[0].pboolVal);
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

// IOleClientSite

STDMETHODIMP ControlSite::SaveObject() { return S_OK; }
STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_FAIL;
}
STDMETHODIMP ControlSite::ShowObject() { return S_OK; }
STDMETHODIMP ControlSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::RequestNewObjectLayout() { return S_OK; }

// IOleWindow

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = GetHostWindow();
  return S_OK;
}
STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// IOleInPlaceSite

STDMETHODIMP ControlSite::CanInPlaceActivate() { return m_activated ? S_OK : S_FALSE; }
STDMETHODIMP ControlSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP ControlSite::OnUIActivate() { return S_OK; }

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  if (document) *document = nullptr;
  m_objectRect = HostClientRect();
  if (position) *position = m_objectRect;
  if (clip) *clip = m_objectRect;
  if (frameInfo) {
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetParent(GetHostWindow());
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP ControlSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP ControlSite::DeactivateAndUndo() { return S_OK; }
STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT) { return S_OK; }

// IOleInPlaceUIWindow, IOleInPlaceFrame

STDMETHODIMP ControlSite::GetBorder(LPRECT border) {
  m_objectRect = HostClientRect();
  if (border) *border = m_objectRect;
  return S_OK;
}
STDMETHODIMP ControlSite::RequestBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP ControlSite::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP ControlSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }

// IDocHostUIHandler

// Not handled here, so the engine shows its own context menu.
STDMETHODIMP ControlSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info) info->dwFlags |= DOCHOSTUIFLAG_NO3DOUTERBORDER;
  return S_OK;
}
STDMETHODIMP ControlSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                 IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}
STDMETHODIMP ControlSite::HideUI() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return S_OK;
}
STDMETHODIMP ControlSite::TranslateUrl(DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }

}  // namespace qm
