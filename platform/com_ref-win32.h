// Holding a COM interface for the length of one procedure.
#ifndef TALVERN_PLATFORM_COM_REF_WIN32_H_
#define TALVERN_PLATFORM_COM_REF_WIN32_H_

namespace talvern {

/// Owns one interface pointer and releases it when the scope ends.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_) p_->Release();
  }
  Interface* get() const { return p_; }
  Interface* operator->() const { return p_; }
  /// Where a creating call stores the interface; the holder must be empty.
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  Interface* p_ = nullptr;
};

}  // namespace talvern

#endif  // TALVERN_PLATFORM_COM_REF_WIN32_H_
