#pragma once
#include <QFlags>
#include <QObject>

// Settings of the bound controls that a window description names by value
// (e.g. <enum>Nox::lpAbove</enum> in a .ui file).
namespace Nox {
Q_NAMESPACE

// Side of its owner on which a caption label sits.
enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
Q_ENUM_NS(TLabelPosition)

// Background decoration of an edit or combo box.
enum TSkinStyle { asNone, asShape, asImage };
Q_ENUM_NS(TSkinStyle)

// How a value edit shows that the unit does not define its parameter.
enum TDataDefinedAspect { ddNone, ddInvisible, ddDisabled };
Q_ENUM_NS(TDataDefinedAspect)

// How a check box decides its state from the parameter's value.
enum TCheckCondition { ccEqualTo, ccNotEqualTo, ccMinorOf, ccGreaterOf, ccMaskedBit };
Q_ENUM_NS(TCheckCondition)

// Number or flag, with or without a caption label.
enum TLabelStyle { lsValue, lsLabeledValue, lsFlag, lsLabeledFlag };
Q_ENUM_NS(TLabelStyle)

enum TResizingKind { raVertical = 0x1, raHorizontal = 0x2, raCorner = 0x4, raMove = 0x8 };
Q_DECLARE_FLAGS(TResizingMode, TResizingKind)
Q_FLAG_NS(TResizingMode)

} // namespace Nox

Q_DECLARE_OPERATORS_FOR_FLAGS(Nox::TResizingMode)
