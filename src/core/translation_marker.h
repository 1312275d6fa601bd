#pragma once
// Marks a text that the Qt front ends translate at run time, so that lupdate extracts it, in code
// that includes no Qt: QT_TRANSLATE_NOOP("Context", "text") is the text itself. Defined exactly as
// Qt defines it, so the two may meet in one file.

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
