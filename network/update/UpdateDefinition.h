#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// One release of the update definition, as read and checked.
struct UpdateRelease
{
    QString version;
    bool beta = false;
    QUrl downloadUrl;
    QString md5;         // lowercase hexadecimal
    QString sha256;      // lowercase hexadecimal, empty when the definition gives none
    double sizeInMb = 0; // may be a fraction
    QUrl openUrl;        // a page to open instead of downloading, when valid
    QString changelog;
};

struct UpdateChoice
{
    bool available = false;
    UpdateRelease release; // meaningful when available
    QString latestVersion; // the highest eligible version seen, else the installed one
};

// Reads an update definition ({"updates": {platformKey: [release, ...]}}) and picks the highest
// eligible release newer than the installed version; of equal versions the first listed wins.
// Beta releases count only with betaRequired. A release with a field of the wrong type, a
// version that is not dot-separated numbers, no https download address, or a checksum that is
// not hexadecimal of the right length is left out; that, and a body that is not such a
// definition, is said in the log ("Updater: ...") and never offered.
UpdateChoice chooseUpdate(const QByteArray& body, const QString& platformKey,
                          const QString& installedVersion, bool betaRequired);

// The size for the prompt: a whole number as it is, a fraction rounded up to one decimal
// ("12", "1.5", "0.1" for 0.04).
QString sizeInMbText(double sizeInMb);

// Empty when the file holds what both checksums say (a sha256 only when given); otherwise what
// is wrong.
QString checksumProblem(const QString& path, const QString& md5, const QString& sha256);
