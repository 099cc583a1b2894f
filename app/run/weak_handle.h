#pragma once
// A non-owning handle that reads null once its target has gone: the answer
// to "is it still there?" for work queued to run later on the main thread.
// The target owns a TLifetime and hands out handles from it. Handles may be
// copied on any thread; Get and End belong to the main thread.
#include <memory>
#include <utility>

namespace integrador {

template <class T>
class TLifetime;

template <class T>
class TWeakHandle {
 public:
  TWeakHandle() = default;
  // The target, or nullptr once it has gone (or for an empty handle).
  T* Get() const { return cell_ ? *cell_ : nullptr; }

 private:
  friend class TLifetime<T>;
  explicit TWeakHandle(std::shared_ptr<T*> cell) : cell_(std::move(cell)) {}
  std::shared_ptr<T*> cell_;
};

template <class T>
class TLifetime {
 public:
  explicit TLifetime(T* target) : cell_(std::make_shared<T*>(target)) {}
  ~TLifetime() { End(); }
  TLifetime(const TLifetime&) = delete;
  TLifetime& operator=(const TLifetime&) = delete;

  // Every handle reads null from now on; a target that starts going before
  // its members are destroyed calls it first.
  void End() { *cell_ = nullptr; }
  TWeakHandle<T> Handle() const { return TWeakHandle<T>(cell_); }

 private:
  std::shared_ptr<T*> cell_;
};

}  // namespace integrador
