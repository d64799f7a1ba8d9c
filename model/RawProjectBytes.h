#pragma once

// Checks of a project file's raw bytes, made before the XML parser sees
// them: each is one linear scan. QtCore only.

#include <QByteArray>

namespace RawProjectBytes {

// The offset of the first byte that does not start or continue a valid
// UTF-8 sequence (overlong forms, surrogates and values past U+10FFFF
// included), or -1 when every byte is valid.
int firstInvalidUtf8(const QByteArray &data);

// Whether a start tag has more than `limit` attributes (counted as '='
// outside quoted values); comments, CDATA sections, processing
// instructions and declarations are passed over. Works on the ASCII bytes
// of markup, so UTF-8 and UTF-16 files alike.
bool hasCrowdedTag(const QByteArray &data, int limit);

} // namespace RawProjectBytes
