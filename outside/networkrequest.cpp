#include "outside/networkrequest.h"

QNetworkRequest makeServerRequest(const QUrl &url, int idleTimeoutMs)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(idleTimeoutMs);
    return request;
}

QUrl httpsUrlFromLink(const QString &link, QString *refusal)
{
    const QUrl url(link, QUrl::StrictMode);
    if (url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty())
        return url;
    if (!url.isValid())
        *refusal = QStringLiteral("Refused the link: it is no valid URL");
    else if (url.scheme().isEmpty())
        *refusal = QStringLiteral("Refused the link: it names no scheme, only https is used");
    else if (url.scheme() != QLatin1String("https"))
        *refusal = QStringLiteral("Refused the link: its scheme is %1, only https is used").arg(url.scheme());
    else
        *refusal = QStringLiteral("Refused the link: it names no host");
    return QUrl();
}
