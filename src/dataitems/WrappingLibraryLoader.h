#pragma once
#include "dataitems/ProtocolLibraryLoader.h"
#include "dataitems/SharedProtocolLibraryLoader.h"

// Loads the real library and hands out wrappers of its objects (a Wrapper is
// built on the library's object and gives it back as Inner()): the way to
// watch or count what crosses the line without changing the library.
template <typename Wrapper> class WrappingLibraryLoader final : public ProtocolLibraryLoader {
public:
  // The wrapper of the object the library made; null once it is destroyed.
  Wrapper *Object = nullptr;

  bool Load(const QString &dllName, ProtocolEntryPoints &entryPoints) override {
    ProtocolEntryPoints real;
    if (!m_real.Load(dllName, real))
      return false;
    entryPoints.GetDLLVersion = real.GetDLLVersion;
    entryPoints.CreateClassInstance = [this, real]() -> NoxProtocolObject * {
      Object = new Wrapper(real.CreateClassInstance());
      return Object;
    };
    entryPoints.DestroyClassInstance = [this, real](NoxProtocolObject *object) {
      auto *wrapper = static_cast<Wrapper *>(object);
      real.DestroyClassInstance(wrapper->Inner());
      delete wrapper;
      if (Object == wrapper)
        Object = nullptr;
    };
    return true;
  }
  void Unload() override { m_real.Unload(); }

private:
  SharedProtocolLibraryLoader m_real;
};
