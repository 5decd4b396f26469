// A move-only owner of one operating-system resource: a handle, a descriptor,
// a library object. The traits say what the empty value is and how the
// resource is given back, so each kind of resource has one alias and no call
// site ever releases one by hand.
#pragma once

#include <utility>

namespace qm {

// Traits: `using pointer = ...;`, `static pointer Invalid() noexcept;` and
// `static void Close(pointer) noexcept;` (only called for valid values).
template <typename Traits>
class UniqueResource {
 public:
  using pointer = typename Traits::pointer;

  UniqueResource() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueResource(pointer value) noexcept : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  pointer get() const noexcept { return value_; }
  bool valid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without closing.
  pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  // Closes the held resource and takes value in its place.
  void reset(pointer value = Traits::Invalid()) noexcept {
    const pointer old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // Closes the held resource and hands out the slot for a call that writes a
  // new one through an out parameter.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  pointer value_;
};

}  // namespace qm
