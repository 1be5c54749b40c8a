#pragma once

#include <QtCore/qglobal.h>

#if defined(VELASTREAMER_LIBRARY)
#define VELASTREAMER_EXPORT Q_DECL_EXPORT
#else
#define VELASTREAMER_EXPORT Q_DECL_IMPORT
#endif
