#include "outside/httpsget.h"

#include "outside/cryptolibrary.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>

#include <curl/curl.h>

#include <memory>
#include <mutex>

// Bodies come through libcurl rather than QNetworkAccessManager: Qt's manager moves
// every piece of a body from its own network thread to the reader's through a queued
// signal, some ten thousand a second at disk speed, and takes about twice curl's time
// for a large image. A QSslSocket read in one thread is as fast as curl, so the cost
// is the hand-over, not Qt's TLS. The catalogue takes the same road: one network
// stack, one set of limits, and no event loop to wait in.

namespace {
// Fewer, larger pieces for the hash and the disks.
constexpr long receiveBufferBytes = 512 * 1024;
constexpr long maxRedirects = 50; // as Qt's manager allows

// curl is to trust exactly the roots Qt trusts for the catalogue. Those are the
// certificates added to Qt's default configuration, handed over as PEM, and the
// system's: on Windows curl's Schannel reads the system store as Qt does; elsewhere Qt
// looks a root up by its subject hash in the usual certificate folders, and so does
// curl when given the same folders as its CA path. A bundle file of curl's own is not
// asked for: a system may keep only the hashed folder.
QByteArray addedCertificatesPem()
{
    QByteArray pem;
    for (const QSslCertificate &certificate : QSslConfiguration::defaultConfiguration().caCertificates())
        pem += certificate.toPem();
    return pem;
}

#ifndef Q_OS_WIN
QByteArray systemCertificateFolders()
{
    // The folders Qt searches, in its order.
    static const char *const candidates[] = {"/etc/ssl/certs",        "/usr/lib/ssl/certs", "/usr/share/ssl",
                                             "/usr/local/ssl",        "/var/ssl/certs",     "/usr/local/ssl/certs",
                                             "/etc/openssl/certs",    "/opt/openssl/certs", "/etc/ssl",
                                             "/etc/pki/tls/certs"};
    QByteArrayList present;
    for (const char *folder : candidates) {
        if (QFileInfo(QString::fromLatin1(folder)).isDir())
            present << folder;
    }
    return present.join(':');
}
#endif

// One download's state, seen by curl's callbacks.
class Transfer
{
public:
    Transfer(CURL *curl, const DownloadRequest &request, const DownloadHandlers &handlers, const StopFlag &stop)
        : curl(curl), request(request), handlers(handlers), stop(stop)
    {
        sinceData.start();
        window.start();
        sinceStart.start();
    }

    static size_t onData(char *data, size_t one, size_t count, void *self)
    {
        return static_cast<Transfer *>(self)->take(data, qint64(one * count)) ? one * count : 0;
    }
    static size_t onHeader(char *data, size_t one, size_t count, void *self)
    {
        static_cast<Transfer *>(self)->header(QByteArray::fromRawData(data, int(one * count)));
        return one * count;
    }
    static int onTick(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Transfer *>(self)->mustStop() ? 1 : 0;
    }

    // Called once the body's start is known, and at the end for an empty body.
    bool begin()
    {
        if (begun)
            return true;
        begun = true;
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        // A server may send the whole image rather than the range asked for: it then
        // starts again from its first byte.
        startsAt = status == 206 ? rangeStart : 0;
        if (status == 206 && rangeStart != request.resumeFrom) {
            whyStopped = QStringLiteral("The server sent another range than asked for");
            return false;
        }
        if (handlers.begin && !handlers.begin(startsAt)) {
            whyStopped = QStringLiteral("Could not keep the downloaded body");
            refused = true;
            return false;
        }
        return true;
    }

    QString whyStopped; // set when this side ended the transfer
    bool refused = false;
    bool stopped = false;
    bool begun = false;
    qint64 startsAt = 0;
    qint64 received = 0;

private:
    qint64 announcedSize() const
    {
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return length < 0 ? -1 : startsAt + length;
    }

    void header(const QByteArray &line)
    {
        // Every answer of a redirect chain starts with its status line.
        if (line.startsWith("HTTP/"))
            rangeStart = -1;
        const QByteArray lower = line.toLower();
        if (lower.startsWith("content-range:")) {
            // "Content-Range: bytes 1000-4999/5000"
            const QByteArray range = line.mid(14).trimmed();
            if (range.startsWith("bytes "))
                rangeStart = range.mid(6, range.indexOf('-') - 6).trimmed().toLongLong();
        }
    }

    bool take(const char *data, qint64 size)
    {
        if (!begin())
            return false;
        // Checked on the first piece too, so that a body announced too large is never kept.
        const qint64 announced = announcedSize();
        if (announced > request.limits.maxBytes || startsAt + received + size > request.limits.maxBytes) {
            whyStopped = QStringLiteral("The server sends more than the largest image, %1 bytes")
                             .arg(request.limits.maxBytes);
            return false;
        }
        if (!handlers.take(data, size)) {
            whyStopped = QStringLiteral("Could not keep the downloaded body");
            refused = true;
            return false;
        }
        received += size;
        sinceData.start();
        if (handlers.progress)
            handlers.progress(startsAt + received, announced);
        return true;
    }

    // Called about once a second while nothing arrives, and often while data flows.
    bool mustStop()
    {
        if (stop.isRaised()) {
            whyStopped = QStringLiteral("Stopped");
            stopped = true;
            return true;
        }
        if (request.limits.deadlineMs > 0 && sinceStart.hasExpired(request.limits.deadlineMs)) {
            whyStopped = QStringLiteral("The server took longer than %1 ms in all").arg(request.limits.deadlineMs);
            return true;
        }
        const DownloadLimits &limits = request.limits;
        // Until the handshake is done, the connect timeout keeps time.
        curl_off_t connected = 0;
        if (curl_easy_getinfo(curl, CURLINFO_APPCONNECT_TIME_T, &connected) != CURLE_OK || connected == 0)
            sinceData.start();
        if (sinceData.hasExpired(limits.idleTimeoutMs)) {
            whyStopped = QStringLiteral("The server sent nothing for %1 ms").arg(limits.idleTimeoutMs);
            return true;
        }
        // The idle limit never ends a server that sends a byte now and then.
        if (window.hasExpired(limits.rateWindowMs)) {
            if (received - receivedBeforeWindow < limits.minBytesPerWindow) {
                whyStopped = QStringLiteral("The server sent under %1 bytes in %2 ms")
                                 .arg(limits.minBytesPerWindow)
                                 .arg(limits.rateWindowMs);
                return true;
            }
            receivedBeforeWindow = received;
            window.start();
        }
        return false;
    }

    CURL *curl;
    const DownloadRequest &request;
    const DownloadHandlers &handlers;
    const StopFlag &stop;
    QElapsedTimer sinceData, window, sinceStart;
    qint64 receivedBeforeWindow = 0;
    qint64 rangeStart = -1;
};

struct CurlEasyDeleter
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};
}

DownloadResult httpsGet(const DownloadRequest &request, const DownloadHandlers &handlers, const StopFlag &stop)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        keepCryptoLibraryForTheProcess();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });

    DownloadResult result;
    const std::unique_ptr<CURL, CurlEasyDeleter> curl(curl_easy_init());
    if (!curl) {
        result.why = QStringLiteral("Cannot start a download");
        return result;
    }
    Transfer transfer(curl.get(), request, handlers, stop);
    const DownloadLimits &limits = request.limits;
    const QByteArray address = request.url.toEncoded(), certificates = addedCertificatesPem();
    const QByteArray range = QByteArray::number(request.resumeFrom) + '-';
    curl_blob added{const_cast<char *>(certificates.constData()), size_t(certificates.size()), CURL_BLOB_COPY};
    char curlError[CURL_ERROR_SIZE] = {};
    CURL *handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    if (!certificates.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAINFO_BLOB, &added);
#ifndef Q_OS_WIN
    const QByteArray folders = systemCertificateFolders();
    curl_easy_setopt(handle, CURLOPT_CAINFO, nullptr);
    curl_easy_setopt(handle, CURLOPT_CAPATH, folders.isEmpty() ? nullptr : folders.constData());
#endif
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Mozilla/5.0"); // what Qt's manager sends
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, receiveBufferBytes);
    // Connecting includes this side's TLS set-up, which a slow or busy workstation may
    // take its time over; it gets at least the usual allowance of a silent server.
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(qMax(limits.idleTimeoutMs, serverIdleTimeoutMs)));
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::onData);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    // A range rather than curl's resume option: a server that ignores it answers with the
    // whole image, which is taken from its start instead of failing the download.
    if (request.resumeFrom > 0)
        curl_easy_setopt(handle, CURLOPT_RANGE, range.constData());
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::onTick);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    CURLcode code = curl_easy_perform(handle);
    // An empty body never reached the write callback.
    if (code == CURLE_OK && !transfer.begin())
        code = CURLE_WRITE_ERROR;

    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    result.startsAt = transfer.startsAt;
    result.rangeRefused = status == 416;
    if (code == CURLE_OK)
        result.end = DownloadResult::End::Complete;
    else if (transfer.stopped)
        result.end = DownloadResult::End::Stopped;
    else if (transfer.refused)
        result.end = DownloadResult::End::Refused;
    if (code == CURLE_HTTP_RETURNED_ERROR)
        result.why = QStringLiteral("The server answered with HTTP status %1").arg(status);
    else if (code != CURLE_OK)
        result.why = !transfer.whyStopped.isEmpty() ? transfer.whyStopped
                     : curlError[0]                 ? QString::fromLocal8Bit(curlError)
                                                    : QString::fromLatin1(curl_easy_strerror(code));
    return result;
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
