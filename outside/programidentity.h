#pragma once

// Names both programs alike to Qt, so that they share the user's cache and data
// folders (QStandardPaths) and tell one version.
void setProgramIdentity();
