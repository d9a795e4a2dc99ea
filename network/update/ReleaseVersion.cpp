#include "ReleaseVersion.h"

#include <QStringList>
#include <algorithm>

namespace ReleaseVersion {

std::optional<QVector<int>> parse(const QString& text)
{
    // Nine digits always fit an int.
    constexpr int kMaxDigits = 9;
    QVector<int> parts;
    const QStringList pieces = text.split(QLatin1Char('.'));
    for (const QString& piece : pieces) {
        if (piece.isEmpty() || piece.size() > kMaxDigits) {
            return std::nullopt;
        }
        int value = 0;
        for (const QChar c : piece) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                return std::nullopt;
            }
            value = value * 10 + (c.unicode() - '0');
        }
        parts.append(value);
    }
    return parts;
}

bool isNewer(const QString& installed, const QString& candidate)
{
    const auto x = parse(installed);
    const auto y = parse(candidate);
    if (!x || !y) {
        return false;
    }
    const int length = std::min(x->size(), y->size());
    for (int i = 0; i < length; ++i) {
        if (x->at(i) != y->at(i)) {
            return y->at(i) > x->at(i);
        }
    }
    return false;
}

} // namespace ReleaseVersion
