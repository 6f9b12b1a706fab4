#pragma once

#include "detection/attachedcamera.h"

#include <QString>

// How a camera is named to people, the same in the window and on the command line.

// " " + model + " - " + installed version: the text of its row.
QString cameraRowText(const AttachedCamera &camera);

// Model and installed version, with the brand its picture shows: "VEK - 2.104 (PELKA)".
QString cameraTitle(const AttachedCamera &camera);

// Where it is: its card's mount point (a drive root such as E:/ keeps its "/"), or
// "USB debugging" and its serial, shortened when long.
QString cameraPlace(const AttachedCamera &camera);
