#include "catalogue/modelcode.h"

QString shortModelCode(const QString &modelName)
{
    if (modelName.endsWith(QLatin1String("000")))
        return modelName.left(modelName.size() - 3) + QLatin1Char('K');
    if (modelName.endsWith(QLatin1String("00")))
        return modelName.left(modelName.size() - 2);
    return modelName;
}

bool isPlainModelName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
                           || u == '-' || u == '_';
        if (!plain)
            return false;
    }
    return true;
}
