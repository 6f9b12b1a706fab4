#include "detection/mounttablewatcher.h"

#include <windows.h>

#include <dbt.h>

namespace {
const wchar_t windowClass[] = L"VekMountTableWatcher";
// GUID_DEVINTERFACE_VOLUME: a volume's device interface comes and goes with the volume.
constexpr GUID volumeInterface = {0x53f5630d, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

LRESULT CALLBACK receive(HWND window, UINT message, WPARAM event, LPARAM data)
{
    if (message == WM_DEVICECHANGE && (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE)) {
        auto *watcher = reinterpret_cast<MountTableWatcher *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (watcher)
            emit watcher->changed();
        return TRUE;
    }
    return DefWindowProcW(window, message, event, data);
}
}

// A message-only window of its own, whose messages the GUI thread's event loop
// dispatches: device notifications reach no window that Qt made for us.
struct MountTableWatcher::Source
{
    HWND window = nullptr;
    HDEVNOTIFY notification = nullptr;

    ~Source()
    {
        if (notification)
            UnregisterDeviceNotification(notification);
        if (window)
            DestroyWindow(window);
    }
};

MountTableWatcher::MountTableWatcher(QObject *parent) : QObject(parent), source(std::make_unique<Source>())
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = receive;
    description.hInstance = instance;
    description.lpszClassName = windowClass;
    RegisterClassExW(&description); // fails harmlessly when a watcher registered it before
    source->window = CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!source->window)
        return;
    SetWindowLongPtrW(source->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = volumeInterface;
    source->notification = RegisterDeviceNotificationW(source->window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

MountTableWatcher::~MountTableWatcher() = default;

bool MountTableWatcher::isWatching() const
{
    return source->notification != nullptr;
}
