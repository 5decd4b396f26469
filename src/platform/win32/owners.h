// Owners of Win32 resources. Each alias closes its resource with the one call
// that belongs to it; COM interfaces are held by Microsoft::WRL::ComPtr.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <ole2.h>
#include <wincrypt.h>
#include <wininet.h>
#include <wrl/client.h>

#include "base/unique_resource.h"

namespace qm {

using Microsoft::WRL::ComPtr;

namespace owners {

template <typename T, T InvalidValue, auto CloseFn>
struct Traits {
  using pointer = T;
  static pointer Invalid() noexcept { return InvalidValue; }
  static void Close(pointer value) noexcept { CloseFn(value); }
};

// Handles whose empty value is null, closed by a function of one argument.
template <typename T, auto CloseFn>
struct NullTraits {
  using pointer = T;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer value) noexcept { CloseFn(value); }
};

struct FileHandleTraits {
  using pointer = HANDLE;
  static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(pointer value) noexcept { ::CloseHandle(value); }
};

struct FindHandleTraits {
  using pointer = HANDLE;
  static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(pointer value) noexcept { ::FindClose(value); }
};

struct CryptProvTraits {
  using pointer = HCRYPTPROV;
  static pointer Invalid() noexcept { return 0; }
  static void Close(pointer value) noexcept { ::CryptReleaseContext(value, 0); }
};

struct CryptHashTraits {
  using pointer = HCRYPTHASH;
  static pointer Invalid() noexcept { return 0; }
  static void Close(pointer value) noexcept { ::CryptDestroyHash(value); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }

}  // namespace owners

// Kernel objects whose empty value is null: processes, threads, events.
using UniqueHandle = UniqueResource<owners::NullTraits<HANDLE, ::CloseHandle>>;
// Files from CreateFileW, whose empty value is INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueResource<owners::FileHandleTraits>;
using UniqueFindHandle = UniqueResource<owners::FindHandleTraits>;
using UniqueHKey = UniqueResource<owners::NullTraits<HKEY, ::RegCloseKey>>;
using UniqueHInternet = UniqueResource<owners::NullTraits<HINTERNET, ::InternetCloseHandle>>;
// An enumeration of the WinInet URL cache (FindFirstUrlCacheEntryW).
using UniqueUrlCacheFind = UniqueResource<owners::NullTraits<HANDLE, ::FindCloseUrlCache>>;
using UniqueCryptProv = UniqueResource<owners::CryptProvTraits>;
using UniqueCryptHash = UniqueResource<owners::CryptHashTraits>;
// Memory that the system allocated for the caller (FormatMessageW's buffer).
using UniqueLocalMemory = UniqueResource<owners::NullTraits<HLOCAL, ::LocalFree>>;
using UniqueHGlobal = UniqueResource<owners::NullTraits<HGLOBAL, ::GlobalFree>>;
using UniqueHIcon = UniqueResource<owners::NullTraits<HICON, ::DestroyIcon>>;
using UniqueHMenu = UniqueResource<owners::NullTraits<HMENU, ::DestroyMenu>>;
using UniqueHdc = UniqueResource<owners::NullTraits<HDC, ::DeleteDC>>;
using UniqueHBitmap = UniqueResource<owners::NullTraits<HBITMAP, owners::DeleteGdiObject>>;
using UniqueHBrush = UniqueResource<owners::NullTraits<HBRUSH, owners::DeleteGdiObject>>;
using UniqueHFont = UniqueResource<owners::NullTraits<HFONT, owners::DeleteGdiObject>>;
using UniqueHRgn = UniqueResource<owners::NullTraits<HRGN, owners::DeleteGdiObject>>;
using UniqueHwnd = UniqueResource<owners::NullTraits<HWND, ::DestroyWindow>>;
using UniqueHHook = UniqueResource<owners::NullTraits<HHOOK, ::UnhookWindowsHookEx>>;
// A view of a file mapping from MapViewOfFile.
using UniqueMappedView = UniqueResource<owners::NullTraits<LPCVOID, ::UnmapViewOfFile>>;
// A module from LoadLibraryExW.
using UniqueHModule = UniqueResource<owners::NullTraits<HMODULE, ::FreeLibrary>>;
// Memory that COM or the shell allocated for the caller (item ID lists, names
// in a STRRET), freed with CoTaskMemFree.
template <typename T>
using UniqueCoTaskMemory = UniqueResource<owners::NullTraits<T*, ::CoTaskMemFree>>;

// A string of the automation interfaces, freed with SysFreeString.
using UniqueBstr = UniqueResource<owners::NullTraits<BSTR, ::SysFreeString>>;

// A VARIANT that is cleared (VariantClear) when it goes.
class UniqueVariant {
 public:
  UniqueVariant() noexcept { ::VariantInit(&value_); }
  ~UniqueVariant() { ::VariantClear(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  VARIANT* get() noexcept { return &value_; }
  const VARIANT& operator*() const noexcept { return value_; }

 private:
  VARIANT value_;
};

// One OleInitialize of this thread, balanced by OleUninitialize when it
// succeeded (also when the library was initialised already).
class OleInitialization {
 public:
  OleInitialization() noexcept : initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleInitialization() {
    if (initialized_) ::OleUninitialize();
  }
  OleInitialization(const OleInitialization&) = delete;
  OleInitialization& operator=(const OleInitialization&) = delete;
  bool ok() const noexcept { return initialized_; }

 private:
  bool initialized_;
};

// COM for the calling thread (single-threaded apartment) for the owner's
// lifetime. A thread that already has an apartment keeps it; CoUninitialize
// balances every call that succeeded.
class ComInitialization {
 public:
  ComInitialization() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComInitialization() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;

 private:
  HRESULT result_;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for the owner's lifetime; the
// previous object is selected back at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace qm
