#pragma once

#include <QtCore/qglobal.h>

#if defined(VELAMATH_LIBRARY)
#define VELAMATH_EXPORT Q_DECL_EXPORT
#else
#define VELAMATH_EXPORT Q_DECL_IMPORT
#endif
