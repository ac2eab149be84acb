#include "handles.h"

#include "status.h"

namespace notes {

// Never destroyed, so that nothing open at exit is torn down in an order
// that the objects cannot rely on.
HandleTable& Handles() {
  static auto* table = new HandleTable;
  return *table;
}

STATUS HandleTable::Add(HandleKind kind, std::unique_ptr<HandleObject> object, WORD* handle) {
  size_t index;
  if (!free_.empty()) {
    index = free_.back() - 1u;
    free_.pop_back();
  } else {
    if (slots_.size() >= 0xFFFF) return kErrNoHandles;
    slots_.emplace_back();
    index = slots_.size() - 1;
  }
  slots_[index].kind = kind;
  slots_[index].object = std::move(object);
  *handle = WORD(index + 1);
  return kOk;
}

bool HandleTable::Remove(HandleKind kind, WORD handle) {
  if (handle == 0 || handle > slots_.size() || slots_[handle - 1].kind != kind) return false;
  // Take the object out first: its destructor may close other handles.
  std::unique_ptr<HandleObject> object = std::move(slots_[handle - 1].object);
  slots_[handle - 1].kind = HandleKind::kFree;
  free_.push_back(handle);
  object.reset();
  return true;
}

void HandleTable::ForEach(HandleKind kind, const std::function<void(WORD)>& visit) const {
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].kind == kind) visit(WORD(i + 1));
}

void HandleTable::RemoveAll(HandleKind kind) {
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].kind == kind) Remove(kind, WORD(i + 1));
}

STATUS NewMemory(std::vector<unsigned char> bytes, HANDLE* handle) {
  return Handles().Add(HandleKind::kMemory, std::make_unique<MemoryBlock>(std::move(bytes)),
                       handle);
}

}  // namespace notes
