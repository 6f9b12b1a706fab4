#include "outside/networkrequest.h"

#include <atomic>

namespace {
std::atomic<int> idleTimeoutMs{30000};
}

QNetworkRequest makeServerRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(idleTimeoutMs.load());
    return request;
}

int networkIdleTimeoutMs()
{
    return idleTimeoutMs.load();
}

void setNetworkIdleTimeoutMs(int ms)
{
    idleTimeoutMs.store(ms);
}
