#include "catalogue/firmwaresource.h"

#include "catalogue/linkfilename.h"
#include "outside/httpsget.h"

#include <QDir>
#include <QFileInfo>

const QString catalogueFileName = QStringLiteral("vek-updater-config.txt");

namespace {
const QString builtInAddress = QStringLiteral(VEK_BASE_URL);
}

FirmwareSource::FirmwareSource() : base(builtInAddress) {}

FirmwareSource::FirmwareSource(QString base, bool folder) : base(std::move(base)), folder(folder) {}

std::optional<FirmwareSource> FirmwareSource::fromArgument(const QString &value, QString *why)
{
    if (value.contains(QLatin1String("://"))) {
        QString refusal;
        const QUrl url = httpsUrlFromLink(value, &refusal);
        if (url.isEmpty()) {
            *why = refusal;
            return std::nullopt;
        }
        QString address = url.toString();
        while (address.endsWith('/'))
            address.chop(1);
        return FirmwareSource(address, false);
    }
    const QFileInfo info(value);
    if (!info.isDir()) {
        *why = QStringLiteral("%1 is not a folder").arg(value);
        return std::nullopt;
    }
    return FirmwareSource(QDir::cleanPath(info.absoluteFilePath()), true);
}

bool FirmwareSource::isBuiltIn() const
{
    return !folder && base == builtInAddress;
}

QString FirmwareSource::catalogueLocation() const
{
    return base + '/' + catalogueFileName;
}

std::optional<ImageOrigin> FirmwareSource::imageFor(const QString &link, QString *refusal) const
{
    if (folder) {
        const QString name = plainFileNameOfLink(link);
        if (name.isEmpty()) {
            *refusal = QStringLiteral("Refused the link: its file name is no plain name inside %1").arg(base);
            return std::nullopt;
        }
        return ImageOrigin{{}, base + '/' + name};
    }
    // A mirror holds the maker's folder as it is: what the catalogue links there is
    // taken from the mirror, at the same place below it.
    const QString makers = builtInAddress + '/';
    const QString address = link.startsWith(makers) ? base + '/' + link.mid(makers.size()) : link;
    const QUrl url = httpsUrlFromLink(address, refusal);
    return url.isEmpty() ? std::nullopt : std::optional<ImageOrigin>(ImageOrigin{url, {}});
}
