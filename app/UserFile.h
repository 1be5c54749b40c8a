#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Files written for the user replace the old file only when complete: the new content goes to
// a temporary file beside the target, which is renamed over it once fully written (QSaveFile).
// A refused or failed write leaves the old file as it was.
namespace UserFile {

// Replaces the file at path by content. False, with the reason in error, when the file was
// left as it was.
bool save(const QString& path, const QByteArray& content, QString* error);

// The same for writers that need a file path of their own: write fills a scratch file of the
// target's name, whose content then replaces the target.
bool saveFromScratch(const QString& path, const std::function<bool(const QString& scratch)>& write,
                     QString* error);

} // namespace UserFile
