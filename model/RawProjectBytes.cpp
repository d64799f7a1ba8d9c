#include "RawProjectBytes.h"

#include <cstring>

namespace RawProjectBytes {

// The offset of the first byte that does not start or continue a valid
// UTF-8 sequence (overlong forms, surrogates and values past U+10FFFF
// included), or -1 when every byte is valid.
int firstInvalidUtf8(const QByteArray &data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const int size = data.size();
    int i = 0;
    while (i < size) {
        const uchar c = bytes[i];
        int length = 0;
        uint min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
        } else {
            return i;
        }
        if (i + length > size)
            return i;
        uint value = c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return i;
            value = (value << 6) | (bytes[i + k] & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

// A linear scan over the raw bytes for a start tag with more than `limit`
// attributes (counted as '=' outside quoted values). Comments, CDATA
// sections, processing instructions and declarations are passed over.
// Works on the ASCII bytes of markup, so UTF-8 and UTF-16 files alike.
bool hasCrowdedTag(const QByteArray &data, int limit)
{
    const char *p = data.constData();
    const char *end = p + data.size();
    auto startsWith = [&](const char *at, const char *text) {
        const size_t n = std::strlen(text);
        return size_t(end - at) >= n && std::memcmp(at, text, n) == 0;
    };
    auto skipPast = [&](const char *from, const char *text) {
        const size_t n = std::strlen(text);
        for (const char *q = from; size_t(end - q) >= n; ++q) {
            if (std::memcmp(q, text, n) == 0)
                return q + n;
        }
        return end;
    };
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            return false;
        if (startsWith(p, "<!--")) {
            p = skipPast(p + 4, "-->");
        } else if (startsWith(p, "<![CDATA[")) {
            p = skipPast(p + 9, "]]>");
        } else if (startsWith(p, "<?")) {
            p = skipPast(p + 2, "?>");
        } else {
            int attributes = 0;
            char quote = 0;
            for (++p; p < end; ++p) {
                const char c = *p;
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > limit)
                        return true;
                } else if (c == '>') {
                    ++p;
                    break;
                }
            }
        }
    }
    return false;
}

} // namespace RawProjectBytes
