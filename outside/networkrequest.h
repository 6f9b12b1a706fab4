#pragma once

#include <QNetworkRequest>
#include <QUrl>

// How long a request may go without any data moving before it is given up.
constexpr int serverIdleTimeoutMs = 30000;

// A GET to the maker's server that follows redirects unless they lower security
// (https to http), and gives up when no data has moved for idleTimeoutMs.
QNetworkRequest makeServerRequest(const QUrl &url, int idleTimeoutMs = serverIdleTimeoutMs);

// The address a catalogue link names, when it is an absolute https URL with a host.
// Anything else (http, file, a bare path, text without a scheme) gives an empty QUrl
// and, in refusal, why: a link comes from outside and must not reach the
// workstation's own files or an unencrypted server.
QUrl httpsUrlFromLink(const QString &link, QString *refusal);
