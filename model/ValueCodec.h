#pragma once

// Text encodings of the values stored in a project file: integers,
// coordinates, polygons, the "x,y" middle point of a transition and the
// comma-separated transition list of a state. QtCore only.

#include "ProjectRecords.h"

#include <QString>
#include <QStringList>

namespace ValueCodec {

// Coordinates: shortest general form with six significant digits
// ("300", "123.457", "1e+06"). Non-finite values are written as "0" so a
// broken position can never make the whole file unreadable.
QString formatNumber(double value);

// Decimal integer; fails on anything else (empty, fraction, overflow).
bool parseInt(const QString &text, int *value);
// Decimal number in any form the C locale reads; fails on non-finite values.
bool parseNumber(const QString &text, double *value);
// "1"/"0" (any integer, non-zero is true) or "true"/"false".
bool parseFlag(const QString &text, bool *value);

// "x,y,x,y,..." with no trailing comma; an empty outline is "".
QString formatPolygon(const PolygonPoints &points);
// Splits at commas into (x, y) pairs; "" gives no points. An odd count of
// numbers or a part that is not a number fails.
bool parsePolygon(const QString &text, PolygonPoints *points);

// "x,y" middle point of a transition.
QString formatPoint(const QPointF &point);
bool parsePoint(const QString &text, QPointF *point);

// The labels of a state's transitions joined by commas; "" is no labels.
QString joinLabels(const QStringList &labels);
QStringList splitLabels(const QString &text);

// Drops the characters XML 1.0 cannot carry (controls other than tab,
// line feed and carriage return, lone surrogates, U+FFFE and U+FFFF), so a
// stray control character typed into a description cannot break a save.
QString xmlSafe(const QString &text);

} // namespace ValueCodec
