#pragma once
// The contract between the program and a protocol library (the piece that
// actually talks to the control unit over the serial line).
//
// Plain C++ on purpose: the core and every protocol library (the simulated
// unit among them) share this header, and no library may need Qt.
//
// The protocol object is a table of operations whose positions are part of
// the interface. Every position from 0 to 58 exists; those the program never
// calls are reserved slots so that each used operation keeps its position.
// Libraries derive from NoxProtocolObject and override the used operations.
//
// Binary layout, for a library written in another language or built by
// another compiler:
// - The object handed out by _CreateClassInstance starts with a pointer to
//   the table: an array of 59 function pointers, entry N being the operation
//   at position N below. The rest of the object belongs to the library.
// - Each operation is called with the object itself as a hidden first
//   argument, followed by the listed arguments, in the platform's C calling
//   convention: on 64-bit Windows the Microsoft x64 convention (object in
//   RCX, then RDX, R8, R9, then the stack), on Linux x86-64 the System V one
//   (object in RDI, then RSI, RDX, RCX, R8). Results come back in EAX (a
//   32-bit integer) or AL (a bool: 0 false, 1 true).
// - A C++ class that keeps this layout under GCC, Clang and MSVC alike has
//   single inheritance, no virtual destructor (it would add table entries;
//   destruction goes through _DestroyClassInstance) and no overloaded
//   operations (MSVC groups overloads together in the table).
// - The three entry points are plain C functions (C calling convention, the
//   names exported undecorated, exactly as written). The records passed to
//   them are plain structures without padding.
// - The library may post the connection-state message from any thread; no
//   operation is ever called from more than one thread at a time, and all of
//   them from the thread that created the object.

#include <cstddef>
#include <cstdint>

// Window message numbers in the application range.
inline constexpr std::uint32_t MSG_DATA_CHANGED = 0x8173;
inline constexpr std::uint32_t MSG_PACKET_DATA = 0x8178;
inline constexpr std::uint32_t MSG_DATA_STATE = 0x8179;
inline constexpr std::uint32_t MSG_CONNECTION_STATE = 0x8190;
inline constexpr std::uint32_t MSG_PROGRESS = 0x8191;

// Data-code bits composed by the data items.
inline constexpr std::uint32_t DATACODE_SERIAL_MASK = 0xFF;
inline constexpr std::uint32_t DATACODE_RESERVED_PACKET = 0x100;
inline constexpr std::uint32_t DATACODE_TWO_BYTES = 0x200;
inline constexpr std::uint32_t DATACODE_SIGNED = 0x400;
inline constexpr std::uint32_t DATACODE_PACKET = 0x800;

// LastStatus flag: the quantity does not exist in this unit.
inline constexpr std::int32_t STATUS_NOT_DEFINED = 4;

// "The window handle": the library keeps a copy and calls post() whenever the
// state of the line changes, possibly from a thread of its own. post() must
// therefore be thread-safe; the program queues the message to its GUI thread.
extern "C" {
struct NoxNotifyHandle {
  void (*post)(void *context, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void *context;
};

// Filled by _GetDLLVersion; the first number is the major version.
struct NoxDllVersion {
  std::uint32_t Major;
  std::uint32_t Minor;
  std::uint32_t Release;
  std::uint32_t Build;
};

// Filled by ReadIdentification. Byte 0 is the unit kind, byte 1 the mode
// (3 = boot loader). The two identification bytes are bytes 1 and 2 in normal
// mode (byte 1 doubles as the first one) and bytes 4 and 5 in the boot loader.
struct NoxIdentification {
  std::uint8_t Bytes[8];
};
}

static_assert(sizeof(NoxDllVersion) == 16, "the version record is 16 bytes");
static_assert(sizeof(NoxIdentification) == 8, "the identification record is 8 bytes");

class NoxProtocolObject {
public:
  // Comments give the slot of each operation in the table.
  virtual std::int32_t Reserved00() { return 0; }                                  // 0
  virtual std::int32_t Reserved01() { return 0; }                                  // 1
  virtual std::int32_t SetOptionA(std::int32_t value) = 0;                           // 2
  virtual std::int32_t Reserved03() { return 0; }                                  // 3
  virtual std::int32_t SetOptionB(std::int32_t value) = 0;                           // 4
  virtual std::int32_t Reserved05() { return 0; }                                  // 5
  virtual std::int32_t Reserved06() { return 0; }                                  // 6
  virtual std::int32_t Reserved07() { return 0; }                                  // 7
  virtual std::int32_t Reserved08() { return 0; }                                  // 8
  virtual std::int32_t Reserved09() { return 0; }                                  // 9
  virtual std::int32_t Release() = 0;                                                // 10
  virtual std::int32_t Reserved11() { return 0; }                                  // 11
  virtual std::int32_t Reserved12() { return 0; }                                  // 12
  virtual std::int32_t Reserved13() { return 0; }                                  // 13
  virtual std::int32_t Reserved14() { return 0; }                                  // 14
  virtual std::int32_t Reserved15() { return 0; }                                  // 15
  virtual std::int32_t SetNotifyWindow(const NoxNotifyHandle *handle) = 0;           // 16
  virtual std::int32_t Reserved17() { return 0; }                                  // 17
  virtual std::int32_t Reserved18() { return 0; }                                  // 18
  virtual std::int32_t Reserved19() { return 0; }                                  // 19
  virtual std::int32_t Reserved20() { return 0; }                                  // 20
  virtual std::int32_t Reserved21() { return 0; }                                  // 21
  virtual std::int32_t Reserved22() { return 0; }                                  // 22
  virtual std::int32_t Reserved23() { return 0; }                                  // 23
  virtual std::int32_t Reserved24() { return 0; }                                  // 24
  virtual std::int32_t Reserved25() { return 0; }                                  // 25
  virtual std::int32_t SelectModeA() = 0;                                            // 26
  virtual std::int32_t SelectModeB() = 0;                                            // 27
  virtual std::int32_t SetOptionD(std::int32_t value) = 0;                           // 28
  virtual std::int32_t Reserved29() { return 0; }                                  // 29
  virtual std::int32_t SetOptionC(std::int32_t value) = 0;                           // 30
  virtual std::int32_t Reserved31() { return 0; }                                  // 31
  virtual std::int32_t Reserved32() { return 0; }                                  // 32
  virtual std::int32_t Reserved33() { return 0; }                                  // 33
  virtual bool Connect() = 0;                                                        // 34
  virtual std::int32_t Disconnect() = 0;                                             // 35
  virtual std::int32_t Reserved36() { return 0; }                                  // 36
  virtual std::int32_t Reserved37() { return 0; }                                  // 37
  virtual std::int32_t Reserved38() { return 0; }                                  // 38
  virtual std::int32_t Reserved39() { return 0; }                                  // 39
  virtual bool ReadValue(std::uint32_t dataCode, std::int32_t *value) = 0;           // 40
  virtual bool ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) = 0; // 41
  virtual bool ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                              std::int32_t column) = 0;                              // 42
  // length: in = capacity of bytes, out = bytes delivered.
  virtual bool ReadPacket(std::uint32_t dataCode, std::uint8_t *bytes, std::int32_t *length) = 0; // 43
  virtual bool ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) = 0; // 44
  virtual std::int32_t Reserved45() { return 0; }                                  // 45
  virtual bool WriteValue(std::uint32_t dataCode, std::int32_t value) = 0;           // 46
  virtual bool WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) = 0; // 47
  virtual bool WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                               std::int32_t value) = 0;                              // 48
  virtual std::int32_t Reserved49() { return 0; }                                  // 49
  virtual bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) = 0; // 50
  virtual std::int32_t Reserved51() { return 0; }                                  // 51
  virtual bool ReadIdentification(NoxIdentification *record) = 0;                    // 52
  virtual std::int32_t Reserved53() { return 0; }                                  // 53
  virtual std::int32_t Reserved54() { return 0; }                                  // 54
  virtual std::int32_t Reserved55() { return 0; }                                  // 55
  virtual std::int32_t Reserved56() { return 0; }                                  // 56
  virtual bool IsConnected() = 0;                                                    // 57
  virtual std::int32_t LastStatus() = 0;                                             // 58

protected:
  // Objects are destroyed only through _DestroyClassInstance of their library.
  ~NoxProtocolObject() = default;
};

// Entry points every protocol library exports, resolved by these names.
extern "C" {
using NoxCreateClassInstanceFn = NoxProtocolObject *(*)();
using NoxDestroyClassInstanceFn = void (*)(NoxProtocolObject *object);
using NoxGetDllVersionFn = bool (*)(NoxDllVersion *version);
}

inline constexpr const char *NOX_ENTRY_CREATE = "_CreateClassInstance";
inline constexpr const char *NOX_ENTRY_DESTROY = "_DestroyClassInstance";
inline constexpr const char *NOX_ENTRY_VERSION = "_GetDLLVersion";

#if defined(_WIN32)
#define NOX_PROTOCOL_EXPORT extern "C" __declspec(dllexport)
#else
#define NOX_PROTOCOL_EXPORT extern "C" __attribute__((visibility("default")))
#endif
