#include "gui/SettledLineEdit.h"

#include <QLineEdit>

SettledLineEdit::SettledLineEdit(QLineEdit* edit, int quietMs) : QObject(edit), m_edit(edit)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &SettledLineEdit::settle);
    connect(edit, &QLineEdit::textEdited, &m_quiet, qOverload<>(&QTimer::start));
    connect(edit, &QLineEdit::editingFinished, this, &SettledLineEdit::settle);
    connect(edit, &QLineEdit::textChanged, this, [this] {
        // Typing has the focus; loading the settings does not.
        if (!m_edit->hasFocus()) {
            settle();
        }
    });
}

void SettledLineEdit::settle()
{
    m_quiet.stop();
    const QString text = m_edit->text();
    if (m_hasSettled && text == m_settled) {
        return;
    }
    m_hasSettled = true;
    m_settled = text;
    emit settled(text);
}
