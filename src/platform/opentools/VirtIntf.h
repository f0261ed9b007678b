// The IDE's reference-counted interface objects. Every object the IDE hands
// out starts with one reference that belongs to the caller, who gives it
// back with Release (or Free) when done; the object goes at zero.
#pragma once

class TInterface {
 public:
  TInterface() = default;
  virtual ~TInterface() = default;
  TInterface(const TInterface&) = delete;
  TInterface& operator=(const TInterface&) = delete;

  virtual int AddRef() { return ++FRefCount; }
  // Drops one reference; at zero the object is destroyed. Returns the count left.
  virtual int Release();
  virtual int GetVersion() { return 3; }
  // The library's Free on an interface object: one Release.
  void Free() { Release(); }

  int RefCount() const { return FRefCount; }

 private:
  int FRefCount = 1;
};

// Releases Intf when it is set and clears the reference.
template <typename T>
void ReleaseInterface(T*& Intf) {
  T* Temp = Intf;
  Intf = nullptr;
  if (Temp) Temp->Release();
}
