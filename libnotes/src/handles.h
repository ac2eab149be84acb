// The table of 16-bit handles: databases, notes, memory and collections.
#ifndef LIBNOTES_HANDLES_H_
#define LIBNOTES_HANDLES_H_

#include <functional>
#include <memory>
#include <vector>

#include "notes/types.h"

namespace notes {

class Formula;

enum class HandleKind : unsigned char { kFree, kDatabase, kNote, kMemory, kCollection };

// What a handle refers to; owned by the table.
class HandleObject {
 public:
  virtual ~HandleObject() = default;
};

class HandleTable {
 public:
  // Stores `object` under a new handle. Returns kErrNoHandles when all
  // 65,535 are in use.
  STATUS Add(HandleKind kind, std::unique_ptr<HandleObject> object, WORD* handle);

  // The object of `handle` if it is open and of `kind`, else null.
  template <class T>
  T* Get(HandleKind kind, WORD handle) {
    if (handle == 0 || handle > slots_.size()) return nullptr;
    Slot& slot = slots_[handle - 1];
    return slot.kind == kind ? static_cast<T*>(slot.object.get()) : nullptr;
  }

  // Destroys the object of `handle`; false if it is not open as `kind`.
  bool Remove(HandleKind kind, WORD handle);

  // Calls `visit` for every open handle of `kind`, in handle order.
  void ForEach(HandleKind kind, const std::function<void(WORD)>& visit) const;

  // Destroys every object of `kind`.
  void RemoveAll(HandleKind kind);

 private:
  struct Slot {
    HandleKind kind = HandleKind::kFree;
    std::unique_ptr<HandleObject> object;
  };
  std::vector<Slot> slots_;
  std::vector<WORD> free_;
};

HandleTable& Handles();

// A block of memory behind a memory handle.
class MemoryBlock : public HandleObject {
 public:
  explicit MemoryBlock(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  unsigned char* data() { return bytes_.empty() ? &empty_ : bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  int locks = 0;
  // The compiled formula that the block describes, for formula handles.
  std::shared_ptr<const Formula> formula;

 private:
  std::vector<unsigned char> bytes_;
  unsigned char empty_ = 0;
};

// Makes a memory handle holding `bytes`.
STATUS NewMemory(std::vector<unsigned char> bytes, HANDLE* handle);

}  // namespace notes

#endif  // LIBNOTES_HANDLES_H_
