#pragma once

#include <QNetworkRequest>
#include <QUrl>

// A GET to the maker's server that follows redirects unless they lower security
// (https to http), and gives up when no data has moved for networkIdleTimeoutMs().
QNetworkRequest makeServerRequest(const QUrl &url);

// 30 s in the program; tests shorten it so that a stalled server does not stall them.
int networkIdleTimeoutMs();
void setNetworkIdleTimeoutMs(int ms);
