#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLineEdit;

// Tells when a line the user types has settled: on Enter, on leaving the field, or after a short
// quiet time since the last keystroke. A list of window titles takes effect then, not at every
// keystroke (the first letter of a word matches nearly every title). Text the program sets
// settles at once.
class SettledLineEdit : public QObject
{
    Q_OBJECT

public:
    static constexpr int kQuietMs = 1500;

    SettledLineEdit(QLineEdit* edit, int quietMs = kQuietMs);

signals:
    void settled(const QString& text);

private:
    void settle();

    QLineEdit* m_edit;
    QTimer m_quiet;
    QString m_settled;
    bool m_hasSettled = false;
};
