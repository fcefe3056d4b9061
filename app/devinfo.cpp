#include "app/devinfo.h"

#include "framework/msgseam.h"

#include <cstring>

namespace nuv {

QString FormatDeviceInfo(const DeviceInfo& info)
{
    const qsizetype pidLen = qsizetype(strnlen(info.pid, sizeof info.pid));
    const QString pid = QString::fromUtf8(info.pid, pidLen);
    return QStringLiteral("USB设备接口版本: USB%1.0\n设备物理ID号: %2\n动态库版本号: %3\n驱动程序版本号: %4\n"
                          "固件版本号: %5\n产品序列号: %6\n用户PID: %7")
        .arg(int32_t(info.speed))
        .arg(info.physId)
        .arg(info.libVersion)
        .arg(info.drvVersion)
        .arg(info.fwVersion)
        .arg(info.serial)
        .arg(pid);
}

void ShowDeviceInfo(MDQ4170_HANDLE h)
{
    DeviceInfo info;
    if (MDQ4170_DEV_GetSpeed(h, &info.speed) == 0) {
        AfxMessageBox(QStringLiteral("读取USB接口速度版本号失败"));
        return;
    }
    if (MDQ4170_DEV_GetPhysIdx(h, &info.physId) == 0) {
        AfxMessageBox(QStringLiteral("读取版本信息失败"));
        return;
    }
    if (MDQ4170_DEV_GetVersion(h, &info.libVersion, &info.drvVersion, &info.fwVersion) == 0) {
        AfxMessageBox(QStringLiteral("读取版本信息失败"));
        return;
    }
    if (MDQ4170_DEV_GetSerialNum(h, &info.serial) == 0) {
        AfxMessageBox(QStringLiteral("读取序列号失败"));
        return;
    }
    if (MDQ4170_DEV_GetUserPID(h, info.pid) == 0) {
        AfxMessageBox(QStringLiteral("读取用户PID失败"));
        return;
    }
    AfxMessageBox(FormatDeviceInfo(info));
}

} // namespace nuv
