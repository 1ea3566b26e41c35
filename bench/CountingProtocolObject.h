#pragma once
#include "NoxProtocolObject.h"
#include "dataitems/ProtocolLibraryLoader.h"
#include "dataitems/SharedProtocolLibraryLoader.h"

#include <memory>

// Forwards every operation to a real protocol object and counts the
// exchanges that travel over the line (those the simulated unit delays).
class CountingProtocolObject final : public NoxProtocolObject {
public:
  explicit CountingProtocolObject(NoxProtocolObject *inner) : m_inner(inner) {}
  ~CountingProtocolObject() = default;
  NoxProtocolObject *Inner() const { return m_inner; }
  int Exchanges = 0;

  std::int32_t SetOptionA(std::int32_t v) override { return m_inner->SetOptionA(v); }
  std::int32_t SetOptionB(std::int32_t v) override { return m_inner->SetOptionB(v); }
  std::int32_t Release() override { return m_inner->Release(); }
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *h) override { return m_inner->SetNotifyWindow(h); }
  std::int32_t SelectModeA() override { return m_inner->SelectModeA(); }
  std::int32_t SelectModeB() override { return m_inner->SelectModeB(); }
  std::int32_t SetOptionD(std::int32_t v) override { return m_inner->SetOptionD(v); }
  std::int32_t SetOptionC(std::int32_t v) override { return m_inner->SetOptionC(v); }
  bool Connect() override { return ++Exchanges, m_inner->Connect(); }
  std::int32_t Disconnect() override { return ++Exchanges, m_inner->Disconnect(); }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override { return ++Exchanges, m_inner->ReadValue(c, v); }
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override {
    return ++Exchanges, m_inner->ReadRowValue(c, v, r);
  }
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override {
    return ++Exchanges, m_inner->ReadTableValue(c, v, r, col);
  }
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override {
    return ++Exchanges, m_inner->ReadPacket(c, b, l);
  }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override {
    return ++Exchanges, m_inner->ReadAtAddress(c, a, v);
  }
  bool WriteValue(std::uint32_t c, std::int32_t v) override { return ++Exchanges, m_inner->WriteValue(c, v); }
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override {
    return ++Exchanges, m_inner->WriteRowValue(c, r, v);
  }
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override {
    return ++Exchanges, m_inner->WriteTableValue(c, r, col, v);
  }
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    return ++Exchanges, m_inner->WriteAtAddress(c, a, v);
  }
  bool ReadIdentification(NoxIdentification *r) override { return ++Exchanges, m_inner->ReadIdentification(r); }
  bool IsConnected() override { return m_inner->IsConnected(); }
  std::int32_t LastStatus() override { return m_inner->LastStatus(); }

private:
  NoxProtocolObject *m_inner;
};

// Loads the real library and hands out counting wrappers of its objects.
class CountingLibraryLoader final : public ProtocolLibraryLoader {
public:
  CountingProtocolObject *Object = nullptr;

  bool Load(const QString &dllName, ProtocolEntryPoints &entryPoints) override {
    ProtocolEntryPoints real;
    if (!m_real.Load(dllName, real))
      return false;
    entryPoints.GetDLLVersion = real.GetDLLVersion;
    entryPoints.CreateClassInstance = [this, real]() -> NoxProtocolObject * {
      Object = new CountingProtocolObject(real.CreateClassInstance());
      return Object;
    };
    entryPoints.DestroyClassInstance = [this, real](NoxProtocolObject *object) {
      auto *counting = static_cast<CountingProtocolObject *>(object);
      real.DestroyClassInstance(counting->Inner());
      delete counting;
      Object = nullptr;
    };
    return true;
  }
  void Unload() override { m_real.Unload(); }

private:
  SharedProtocolLibraryLoader m_real;
};
