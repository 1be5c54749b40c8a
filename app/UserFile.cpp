#include "UserFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace UserFile {

bool save(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    // commit() does not see a failure of its own final flush, so the flush is checked first.
    // An uncommitted QSaveFile removes its temporary file and leaves the target alone.
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush()
        && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool saveFromScratch(const QString& path, const std::function<bool(const QString& scratch)>& write,
                     QString* error)
{
    const QTemporaryDir scratchDir;
    const QString scratch = scratchDir.filePath(QFileInfo(path).fileName());
    QFile written(scratch);
    if (!scratchDir.isValid() || !write(scratch) || !written.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QCoreApplication::translate("UserFile", "the new content could not be written");
        return false;
    }
    return save(path, written.readAll(), error);
}

} // namespace UserFile
