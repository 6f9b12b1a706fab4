#pragma once

#include "detection/attachedcamera.h"

#include <QString>

// How a camera is named to people, the same in the window and on the command line.

// " " + model + " - " + installed version: the text of its row.
QString cameraRowText(const AttachedCamera &camera);

// Model and installed version, with the brand its picture shows: "VEK - 2.104 (PELKA)".
QString cameraTitle(const AttachedCamera &camera);

// Where it is: the name of its slot where the technician gave it one, then its card's
// mount point (a drive root such as E:/ keeps its "/"), or "USB debugging" and its
// serial, shortened when long.
QString cameraPlace(const AttachedCamera &camera);

// Where it is, for a script and the history: its slot's name, or else the mount point
// or the serial.
QString cameraLocation(const AttachedCamera &camera);
