#pragma once

#include <QtGlobal>

namespace torvex {

// Result codes of the line layer, numbered as TAPI numbers its LINEERR_
// codes, so a code reads the same to the line monitor whatever binding
// produced it. Only the codes our modem line can return are named.
namespace lineerr {
inline constexpr qint32 code(quint32 value) { return static_cast<qint32>(value); }

inline constexpr qint32 ALLOCATED = code(0x80000001u);
inline constexpr qint32 BADDEVICEID = code(0x80000002u);
inline constexpr qint32 INCOMPATIBLEAPIVERSION = code(0x8000000Cu);
inline constexpr qint32 INUSE = code(0x8000000Fu);
inline constexpr qint32 INVALCALLHANDLE = code(0x80000018u);
inline constexpr qint32 INVALLINEHANDLE = code(0x8000002Bu);
inline constexpr qint32 INVALMEDIAMODE = code(0x8000002Fu);
inline constexpr qint32 INVALPRIVSELECT = code(0x80000036u);
inline constexpr qint32 NODEVICE = code(0x80000042u);
inline constexpr qint32 OPERATIONFAILED = code(0x80000048u);
inline constexpr qint32 RESOURCEUNAVAIL = code(0x8000004Bu);
inline constexpr qint32 UNINITIALIZED = code(0x80000050u);
}  // namespace lineerr

}  // namespace torvex
