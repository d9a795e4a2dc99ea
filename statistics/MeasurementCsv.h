#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>

// The history as comma-separated values for spreadsheets (RFC 4180): a header line, then one
// line per element of the "data" array, in file order. UTF-8 with a byte-order mark, which
// spreadsheet programs need to read the notes' accents; lines end in CR LF.
class MeasurementCsv
{
public:
    static QByteArray fromHistory(const QJsonArray& data);
    // Quoted when it holds a comma, a quote or a line break; quotes inside are doubled.
    static QString field(const QString& text);
};
