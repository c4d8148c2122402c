/// \file
/// Short number texts and back.
///
/// The writers format one value with a fixed-point printf format (`"%.3f"`,
/// `"%8.2f"`, `"%-8.2f"`, ...) and trim it: when the text holds a '.', trailing
/// '0' digits and blanks behind it are removed, and the point too when
/// `dropPoint` is set. QvWrite(1.5) gives "1.5", QvWrite(2.0) gives "2".
/// They return a text owned by the function family, valid until the next
/// call of the same family (QvWriteDouble with QvWrite(double), QvWriteFloat
/// with QvWrite(float)); not for concurrent use.
///
/// The readers convert a zero-terminated text as sscanf does and return a
/// marker when it holds no number.
///
/// A null text reads as a text without a number; a null format gives the
/// empty text. Writers and readers always work in the "C" locale (decimal
/// point '.'), whatever locale the application has set, and give byte for
/// byte and value for value what the C library gives there.
#ifndef QVBASE_QVNUMBERTEXT_H
#define QVBASE_QVNUMBERTEXT_H

#include <QvBase/QvExport.h>

/// `QvWriteDouble("%.3f", value, true)`.
QV_BASE_API const char* QvWrite(double value);
/// `QvWriteFloat("%.3f", value, true)`.
QV_BASE_API const char* QvWrite(float value);
/// Formats `value` by `format` (one conversion of the `%f` family) and trims
/// it. Texts of any length are kept whole; those of at most 99 characters
/// stay in one 100-byte area, so successive calls return the same pointer.
QV_BASE_API const char* QvWriteDouble(const char* format, double value,
                                      bool dropPoint);
/// The same with its own result area; the value is passed on as a double.
QV_BASE_API const char* QvWriteFloat(const char* format, float value,
                                     bool dropPoint);

/// What QvGetInt gives for a text without a number.
constexpr int QV_NO_INT = -99999;
/// What QvGetDouble gives for a text without a number.
constexpr double QV_NO_DOUBLE = -9.999e10;
/// What QvGetFloat gives for a text without a number.
constexpr float QV_NO_FLOAT = -9.999e10f;

/// The number at the start of `text` read with `"%lf"` (leading white space
/// skipped, anything after the number ignored: "2.5kg" gives 2.5), or
/// -9.999e10.
QV_BASE_API double QvGetDouble(const char* text);
/// The same with `"%f"`, or -9.999e10f (-99990003712.0).
QV_BASE_API float QvGetFloat(const char* text);
/// The integer read with `"%d"` when every character of `text` is one of
/// "0123456789+-" ("12-3" gives 12), else -99999 (also for "", " 42",
/// "4.5" and "+-3").
QV_BASE_API int QvGetInt(const char* text);

#endif  // QVBASE_QVNUMBERTEXT_H
