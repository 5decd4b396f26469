// Hotkeys on Windows: RegisterHotKey for the frame window; WM_HOTKEY arrives
// at the frame's window procedure, which hands it here.
#include "frame/hotkey_registration.h"

#include <windows.h>

#include <set>

namespace qm {

struct HotkeyRegistration::Impl {
  HWND frame = nullptr;
  PressedHandler pressed;
  std::set<int> known;      // ids this object has registered or tried to
  std::set<int> granted;    // ids the system accepted
};

HotkeyRegistration::HotkeyRegistration(NativeWindow frame, PressedHandler pressed)
    : impl_(std::make_unique<Impl>()) {
  impl_->frame = frame;
  impl_->pressed = std::move(pressed);
}

HotkeyRegistration::~HotkeyRegistration() { UnregisterAll(); }

void HotkeyRegistration::Register(const std::vector<HotkeyBinding>& bindings) {
  for (const HotkeyBinding& binding : bindings) {
    // Withdraw first: an earlier registration of the id for this window would
    // make the new one fail.
    UnregisterHotKey(impl_->frame, binding.id);
    impl_->granted.erase(binding.id);
    impl_->known.insert(binding.id);
    if (RegisterHotKey(impl_->frame, binding.id, binding.combination.modifiers, binding.combination.keyCode)) {
      impl_->granted.insert(binding.id);
    }
  }
}

void HotkeyRegistration::Unregister(int hotkeyId) {
  if (!impl_->known.count(hotkeyId)) return;
  UnregisterHotKey(impl_->frame, hotkeyId);
  impl_->known.erase(hotkeyId);
  impl_->granted.erase(hotkeyId);
}

void HotkeyRegistration::UnregisterAll() {
  while (!impl_->known.empty()) Unregister(*impl_->known.begin());
}

bool HotkeyRegistration::IsRegistered(int hotkeyId) const { return impl_->granted.count(hotkeyId) != 0; }

bool HotkeyRegistration::HandleWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t) {
  if (message != WM_HOTKEY) return false;
  const int id = static_cast<int>(wParam);
  if (!impl_->granted.count(id)) return false;
  if (impl_->pressed) impl_->pressed(id);
  return true;
}

}  // namespace qm
