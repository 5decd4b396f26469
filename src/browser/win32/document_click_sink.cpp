#include "browser/win32/document_click_sink.h"

#include <mshtmdid.h>
#include <ocidl.h>

#include <utility>

namespace qm {
namespace {

// The element events interface the sink also answers for, as the engine may
// ask for it: {3050F617-98B5-11CF-BB82-00AA00BDCE0B}.
constexpr GUID kElementEvents2 = {0x3050f617, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
// HTML document events: {3050F613-98B5-11CF-BB82-00AA00BDCE0B}.
constexpr GUID kDocumentEvents2 = {0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

std::wstring BstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace

SDocEvtHandler::SDocEvtHandler(ClickHandler onLinkClicked) : onLinkClicked_(std::move(onLinkClicked)) {}

SDocEvtHandler::~SDocEvtHandler() { DetachDocumentSink(); }

void SDocEvtHandler::AttachDocumentSink(IDispatch* document) {
  DetachDocumentSink();
  m_pDocument = document;
  if (!document) return;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(document->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()))))
    return;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(kDocumentEvents2, &point))) return;
  DWORD cookie = 0;
  if (FAILED(point->Advise(static_cast<IUnknown*>(this), &cookie))) return;
  point_ = point;
  m_dwSinkCookie = cookie;
}

void SDocEvtHandler::DetachDocumentSink() {
  if (m_dwSinkCookie != 0 && point_) point_->Unadvise(m_dwSinkCookie);
  m_dwSinkCookie = 0;
  point_.Reset();
  m_pDocument.Reset();
}

void SDocEvtHandler::OnClick(IDispatch* eventObject) {
  if (!eventObject) return;
  ComPtr<IHTMLEventObj> event;
  if (FAILED(eventObject->QueryInterface(IID_IHTMLEventObj, reinterpret_cast<void**>(event.GetAddressOf())))) return;
  ComPtr<IHTMLElement> element;
  if (FAILED(event->get_srcElement(&element))) return;
  while (element) {
    BSTR rawTag = nullptr;
    element->get_tagName(&rawTag);
    const UniqueBstr tag(rawTag);
    const std::wstring tagName = BstrText(tag.get());
    if (tagName == L"a" || tagName == L"A") {
      UniqueVariant href;
      const UniqueBstr name(SysAllocString(L"href"));
      std::wstring text;
      if (name && SUCCEEDED(element->getAttribute(name.get(), 0, href.get())) && (*href).vt == VT_BSTR)
        text = BstrText((*href).bstrVal);
      if (onLinkClicked_) onLinkClicked_(text);
      return;
    }
    ComPtr<IHTMLElement> parent;
    if (FAILED(element->get_parentElement(&parent))) return;
    element = parent;
  }
}

STDMETHODIMP SDocEvtHandler::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kElementEvents2) ||
      IsEqualIID(riid, kDocumentEvents2)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) SDocEvtHandler::AddRef() { return InterlockedIncrement(&refCount_); }
STDMETHODIMP_(ULONG) SDocEvtHandler::Release() { return InterlockedDecrement(&refCount_); }

STDMETHODIMP SDocEvtHandler::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
STDMETHODIMP SDocEvtHandler::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP SDocEvtHandler::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

// Only the click is handled; every other document event has no effect.
STDMETHODIMP SDocEvtHandler::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                    EXCEPINFO*, UINT*) {
  if (dispIdMember != DISPID_HTMLELEMENTEVENTS2_ONCLICK) return DISP_E_MEMBERNOTFOUND;
  if (params && params->rgvarg && params->cArgs >= 1 && params->rgvarg[0].vt == VT_DISPATCH)
    OnClick(params->rgvarg[0].pdispVal);
  return S_OK;
}

}  // namespace qm
