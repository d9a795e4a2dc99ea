#include "HotkeyText.h"

QString hotkeyToText(const QKeySequence& sequence)
{
    return sequence.toString(QKeySequence::PortableText);
}

QKeySequence hotkeyFromText(const QString& text)
{
    return QKeySequence(text, QKeySequence::PortableText);
}
