#include "scheduler/line/line_error_text.h"

#include <iterator>

namespace torvex {

namespace {

constexpr quint32 kFirstCode = 0x80000001u;

// LINEERR_ codes from kFirstCode on, in order; the gaps are codes TAPI
// numbers but gives no text.
constexpr const char* kTexts[] = {
        "Allocated",  // 0x80000001
        "Bad Device ID",  // 0x80000002
        "Bearer Mode Unavail",  // 0x80000003
        nullptr,  // 0x80000004
        "Call UnAvail",  // 0x80000005
        "Completion Overrun",  // 0x80000006
        "Conference Full",  // 0x80000007
        "Dial Billing",  // 0x80000008
        "Dial Dialtone",  // 0x80000009
        "Dial Prompt",  // 0x8000000A
        "Dial Quiet",  // 0x8000000B
        "Incompatible API Version",  // 0x8000000C
        "Incompatible Ext Version",  // 0x8000000D
        "Ini File Corrupt",  // 0x8000000E
        "In Use",  // 0x8000000F
        "Invalid Address",  // 0x80000010
        "Invalid Address ID",  // 0x80000011
        "Invalid Address Mode",  // 0x80000012
        "Invalid Address State",  // 0x80000013
        "Invalid App Handle",  // 0x80000014
        "Invalid App Name",  // 0x80000015
        "Invalid Bearer Mode",  // 0x80000016
        "Invalid Call Completion Mode",  // 0x80000017
        "Invalid Call Handle",  // 0x80000018
        "Invalid Call Params",  // 0x80000019
        "Invalid Call Privilege",  // 0x8000001A
        "Invalid Call Select",  // 0x8000001B
        "Invalid Call State",  // 0x8000001C
        "Invalid Call State List",  // 0x8000001D
        "Invalid Card",  // 0x8000001E
        "Invalid Completion ID",  // 0x8000001F
        "Invalid Conf Call Handle",  // 0x80000020
        "Invalid Consult Call Handle",  // 0x80000021
        "Invalid Country Code",  // 0x80000022
        "Invalid Device Class",  // 0x80000023
        "Invalid Device Handle",  // 0x80000024
        nullptr,  // 0x80000025
        "Invalid Digit List",  // 0x80000026
        "Invalid Digit Mode",  // 0x80000027
        "Invalid Digits",  // 0x80000028
        "Invalid Ext Version",  // 0x80000029
        "Invalid Group ID",  // 0x8000002A
        "Invalid Line Handle",  // 0x8000002B
        "Invalid Line State",  // 0x8000002C
        "Invalid Location",  // 0x8000002D
        "Invalid Media List",  // 0x8000002E
        "Invalid Media Mode",  // 0x8000002F
        "Invalid Message ID",  // 0x80000030
        nullptr,  // 0x80000031
        "Invalid Param",  // 0x80000032
        "Invalid Park ID",  // 0x80000033
        "Invalid Park Mode",  // 0x80000034
        "Invalid Pointer",  // 0x80000035
        "Invalid Priv Select",  // 0x80000036
        "Invalid Rate",  // 0x80000037
        "Invalid Request Mode",  // 0x80000038
        "Invalid Terminal ID",  // 0x80000039
        "Invalid Terminal Mode",  // 0x8000003A
        "Invalid Time Out",  // 0x8000003B
        "Invalid Tone",  // 0x8000003C
        "Invalid Tone List",  // 0x8000003D
        "Invalid Tone Mode",  // 0x8000003E
        "Invalid Transfer Mode",  // 0x8000003F
        "Line Mapper Failed",  // 0x80000040
        "No Conference",  // 0x80000041
        "No Device",  // 0x80000042
        "No Driver",  // 0x80000043
        "No Memory",  // 0x80000044
        "No Request",  // 0x80000045
        "Not Owner",  // 0x80000046
        "Not Registered",  // 0x80000047
        "Operation Failed",  // 0x80000048
        "Operation Unavailable",  // 0x80000049
        "Rate Unavailable",  // 0x8000004A
        "Resource Unavailable",  // 0x8000004B
        "Request Overrun",  // 0x8000004C
        "Structure Too Small",  // 0x8000004D
        "Target Not found",  // 0x8000004E
        "Target Self",  // 0x8000004F
        "Uninitialized",  // 0x80000050
        "UserUser Info Too Big",  // 0x80000051
        "Re-init",  // 0x80000052
        "Address Blocked",  // 0x80000053
        "Billing Rejected",  // 0x80000054
        "Invalid Feature",  // 0x80000055
        "No Multiple Instance",  // 0x80000056
};

}  // namespace

QString LineErrorText(qint32 code)
{
    const quint32 value = static_cast<quint32>(code);
    if (value < kFirstCode || value - kFirstCode >= std::size(kTexts))
        return QString();
    const char* text = kTexts[value - kFirstCode];
    return text ? QString::fromLatin1(text) : QString();
}

}  // namespace torvex
