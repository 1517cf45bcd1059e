#include "platform/FileNames.h"

#include <algorithm>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The code point of the valid UTF-8 sequence at bytes[i], and its length; length 0 when the
// bytes there are not valid UTF-8 (bad lead, truncated, overlong, surrogate or beyond U+10FFFF).
std::pair<char32_t, int> utf8At(const QByteArray &bytes, qsizetype i)
{
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t point = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + length > bytes.size())
        return {0, 0};
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(byte(i + k)))
            return {0, 0};
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return {0, 0};
    return {point, length};
}

void appendUtf8(QByteArray &out, char32_t point)
{
    if (point < 0x80) {
        out.append(char(point));
    } else if (point < 0x800) {
        out.append(char(0xC0 | (point >> 6)));
        out.append(char(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out.append(char(0xE0 | (point >> 12)));
        out.append(char(0x80 | ((point >> 6) & 0x3F)));
        out.append(char(0x80 | (point & 0x3F)));
    } else {
        out.append(char(0xF0 | (point >> 18)));
        out.append(char(0x80 | ((point >> 12) & 0x3F)));
        out.append(char(0x80 | ((point >> 6) & 0x3F)));
        out.append(char(0x80 | (point & 0x3F)));
    }
}

} // namespace

QString decodeFileName(const QByteArray &bytes)
{
    // Most names are plain ASCII: converted in one go.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QString name;
    name.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            name.append(QChar(byte));
            ++i;
            continue;
        }
        const auto [point, length] = utf8At(bytes, i);
        if (length == 0) {
            name.append(QChar(char16_t(kEscapeBase + byte)));
            ++i;
            continue;
        }
        if (point >= 0x10000) {
            const char32_t shifted = point - 0x10000;
            name.append(QChar(char16_t(0xD800 + (shifted >> 10))));
            name.append(QChar(char16_t(0xDC00 + (shifted & 0x3FF))));
        } else {
            name.append(QChar(char16_t(point)));
        }
        i += length;
    }
    return name;
}

QByteArray encodeFileName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, name.at(i + 1).unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes.append(char(unit - kEscapeBase));
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

} // namespace platform
