#include "detection/usbslot.h"

#include <QVector>

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

namespace {
// Hubs nest at most five deep below a root port; the disk sits a few nodes below its
// USB device.
constexpr int maxAncestors = 16;
// GUID_DEVINTERFACE_DISK, spelt out: the headers only declare it unless INITGUID comes
// first, which then defines every GUID they hold.
constexpr GUID diskInterface = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

class Handle
{
public:
    explicit Handle(HANDLE handle) : handle(handle) {}
    ~Handle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

// Which disk a device (a volume or a disk) is on: opened without access, which asks
// the driver and never the medium.
bool storageNumber(const wchar_t *path, STORAGE_DEVICE_NUMBER *number)
{
    const Handle device(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD returned = 0;
    return device.get() != INVALID_HANDLE_VALUE
           && DeviceIoControl(device.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, number, sizeof *number,
                              &returned, nullptr);
}

// The device node of the disk with that number, among the disks present.
bool diskNode(const STORAGE_DEVICE_NUMBER &wanted, DEVINST *node)
{
    const HDEVINFO disks = SetupDiGetClassDevsW(&diskInterface, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (disks == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; !found && SetupDiEnumDeviceInterfaces(disks, nullptr, &diskInterface, index, &interfaceData);
         ++index) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(disks, &interfaceData, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || size > 4096)
            continue;
        QVector<char> buffer(int(size), 0);
        auto *detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA deviceData{};
        deviceData.cbSize = sizeof deviceData;
        STORAGE_DEVICE_NUMBER number{};
        if (SetupDiGetDeviceInterfaceDetailW(disks, &interfaceData, detail, size, nullptr, &deviceData)
            && storageNumber(detail->DevicePath, &number) && number.DeviceType == wanted.DeviceType
            && number.DeviceNumber == wanted.DeviceNumber) {
            *node = deviceData.DevInst;
            found = true;
        }
    }
    SetupDiDestroyDeviceInfoList(disks);
    return found;
}

// A text property of a device node; the first string of a list.
QString nodeText(DEVINST node, ULONG property)
{
    wchar_t text[512] = {};
    ULONG bytes = sizeof text - sizeof *text;
    if (CM_Get_DevNode_Registry_PropertyW(node, property, nullptr, text, &bytes, 0) != CR_SUCCESS)
        return QString();
    return QString::fromWCharArray(text);
}
}

QString usbPortPath(const QString &device, const QString &)
{
    // "E:/" -> "\\.\E:", the volume itself rather than its root folder.
    if (device.size() < 2 || device.at(1) != ':')
        return QString();
    const QString volumePath = "\\\\.\\" + device.left(2);
    STORAGE_DEVICE_NUMBER number{};
    DEVINST node = 0;
    if (!storageNumber(reinterpret_cast<const wchar_t *>(volumePath.utf16()), &number) || !diskNode(number, &node))
        return QString();
    for (int step = 0; step < maxAncestors; ++step) {
        if (nodeText(node, CM_DRP_ENUMERATOR_NAME) == QLatin1String("USB")) {
            // "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(4)#USB(3)", else "Port_#0003.Hub_#0002".
            const QString path = nodeText(node, CM_DRP_LOCATION_PATHS);
            return path.isEmpty() ? nodeText(node, CM_DRP_LOCATION_INFORMATION) : path;
        }
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS)
            break;
        node = parent;
    }
    return QString();
}
