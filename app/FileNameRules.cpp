#include "FileNameRules.h"

namespace FileNameRules {

QString withExtension(const QString& path, const QString& extension)
{
    const QString lastPiece = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1);
    if (lastPiece.compare(extension, Qt::CaseInsensitive) == 0)
        return path;
    return path + QLatin1Char('.') + extension;
}

}
