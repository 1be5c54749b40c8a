#pragma once

#include <QtCore/qglobal.h>

#if defined(VELAWIDGETS_LIBRARY)
#define VELAWIDGETS_EXPORT Q_DECL_EXPORT
#else
#define VELAWIDGETS_EXPORT Q_DECL_IMPORT
#endif
