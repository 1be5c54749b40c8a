#pragma once

#include <QString>

namespace FileNameRules {

// The path a chosen file name is saved under: unchanged when the text after its last "."
// is the extension in any letter case, otherwise with "." and the extension appended.
// A name without a dot is compared as a whole.
QString withExtension(const QString& path, const QString& extension);

}
