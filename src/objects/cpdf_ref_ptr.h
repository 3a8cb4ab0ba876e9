#ifndef QUILLTURN_SRC_OBJECTS_CPDF_REF_PTR_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_REF_PTR_H_

#include <utility>

// Holds one counted reference to T (anything with AddRef/Release).
template <typename T>
class CPdfRefPtr {
 public:
  CPdfRefPtr() = default;
  CPdfRefPtr(const CPdfRefPtr& other) : ptr_(other.ptr_) {
    if (ptr_) {
      ptr_->AddRef();
    }
  }
  CPdfRefPtr(CPdfRefPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  CPdfRefPtr& operator=(CPdfRefPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~CPdfRefPtr() { Reset(); }

  // Takes over the creator's reference.
  static CPdfRefPtr Adopt(T* p) {
    CPdfRefPtr r;
    r.ptr_ = p;
    return r;
  }
  // Hands the reference to code that takes it over.
  T* Leak() {
    T* p = ptr_;
    ptr_ = nullptr;
    return p;
  }
  void Reset() {
    if (ptr_) {
      T* p = ptr_;
      ptr_ = nullptr;
      p->Release();
    }
  }
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_REF_PTR_H_
