#pragma once

#include <QString>

// Where on the workstation's USB tree a volume's device is plugged in, so that a
// technician can tell two cameras of one model apart by the port they are in.
//
// Linux: device is the block device's number "MAJ:MIN" (mountinfo's third field).
// sysfs links <sysfsRoot>/dev/block/MAJ:MIN into the device tree, e.g. to
// devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.3/1-4.3:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1;
// the nearest USB device above the block device names its port: "1-4.3" (bus 1, root
// port 4, port 3 of the hub there). The lookup never leaves sysfsRoot.
// Windows: device is the volume's drive ("E:/"); the answer is the location path of
// the USB device that holds the volume's disk.
//
// Empty when the volume is on no USB device: a loop or device-mapper device, a
// network share, tmpfs. Reads the system's device tree, never the volume.
QString usbPortPath(const QString &device, const QString &sysfsRoot = QStringLiteral("/sys"));
