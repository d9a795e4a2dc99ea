#pragma once

#include <QString>
#include <QVector>
#include <optional>

// Release numbers of the update definition: whole numbers separated by dots ("3.6.24.0").
namespace ReleaseVersion {

// Nothing for any other text: an empty part, a sign, a letter, a part of more than nine digits.
std::optional<QVector<int>> parse(const QString& text);

// True when candidate is a newer release than installed. The parts are compared from the left
// over the shorter of the two; the first difference decides, and when there is none the
// candidate is not newer whatever the lengths (3.6.24 and 3.6.24.1 count as the same release).
// False when either text does not parse.
bool isNewer(const QString& installed, const QString& candidate);

} // namespace ReleaseVersion
