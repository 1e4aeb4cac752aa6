// Owners for COM: an interface pointer released when its owner goes, and the calling thread's
// COM apartment for a scope.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <memory>

namespace vizmark {

struct ComReleaser {
  void operator()(IUnknown* object) const noexcept {
    if (object != nullptr) object->Release();
  }
};

// An interface pointer owned here (CoCreateInstance, Create..., QueryInterface).
template <typename Interface>
using UniqueCom = std::unique_ptr<Interface, ComReleaser>;

// COM for the calling thread, for this scope. A thread the host has already put into an
// apartment of either kind keeps it: ours is then only counted, or, when the host chose the
// multithreaded one, not entered at all (COM calls work in either). Usable() is false only
// when COM cannot be had here.
class ComApartment {
 public:
  ComApartment() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Usable() const noexcept { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

}  // namespace vizmark
