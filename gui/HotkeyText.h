#pragma once

#include <QKeySequence>
#include <QString>

// How a hotkey is kept in the settings store: the portable text ("Alt+Up"), so a stored key
// reads the same in every language.
QString hotkeyToText(const QKeySequence& sequence);
QKeySequence hotkeyFromText(const QString& text);
