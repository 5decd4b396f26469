// The game view's click report on Windows: a sink for the HTML document
// events of the top-level document. Of all those events it handles only the
// click (DISPID -600): it climbs from the clicked element through its parents
// to the nearest element whose tag name is exactly "a" or "A" and reports that
// element's "href" attribute (empty when it has none). The click itself is
// never cancelled.
//
// Like the container, the object is freed by its owner, never by its
// reference count; the owner ends the connection before deleting it.
#pragma once

#include <windows.h>
#include <mshtml.h>

#include <functional>
#include <string>

#include "platform/win32/owners.h"

namespace qm {

class SDocEvtHandler : public IDispatch {
 public:
  using ClickHandler = std::function<void(const std::wstring& href)>;
  explicit SDocEvtHandler(ClickHandler onLinkClicked);
  virtual ~SDocEvtHandler();
  SDocEvtHandler(const SDocEvtHandler&) = delete;
  SDocEvtHandler& operator=(const SDocEvtHandler&) = delete;

  // Connects to document's HTML document events, ending an earlier
  // connection first; a document without them gets no sink.
  void AttachDocumentSink(IDispatch* document);
  // Ends the connection, if any.
  void DetachDocumentSink();
  bool attached() const { return m_dwSinkCookie != 0; }

  // The click method: eventObject is the engine's event object.
  void OnClick(IDispatch* eventObject);

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;

 private:
  ClickHandler onLinkClicked_;
  volatile LONG refCount_ = 0;
  ComPtr<IDispatch> m_pDocument;
  ComPtr<IConnectionPoint> point_;
  DWORD m_dwSinkCookie = 0;
};

}  // namespace qm
