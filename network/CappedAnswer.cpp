#include "CappedAnswer.h"

#include <QNetworkReply>
#include <algorithm>
#include <utility>

CappedAnswer::CappedAnswer(QNetworkReply* reply, qint64 maxBytes)
    : QObject(reply), m_reply(reply), m_maxBytes(maxBytes)
{
    // Qt stops taking from the socket while this much waits unread.
    reply->setReadBufferSize(maxBytes + 1);
    connect(reply, &QNetworkReply::readyRead, this, &CappedAnswer::read);
}

CappedAnswer* CappedAnswer::of(QNetworkReply* reply)
{
    return reply ? reply->findChild<CappedAnswer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QByteArray CappedAnswer::take()
{
    read();
    return std::exchange(m_body, QByteArray());
}

void CappedAnswer::read()
{
    while (!m_cutOff && m_reply->bytesAvailable() > 0) {
        const qint64 room = m_maxBytes + 1 - m_body.size();
        m_body += m_reply->read(std::min(m_reply->bytesAvailable(), room));
        if (m_body.size() > m_maxBytes) {
            // Set before the abort, which reports the reply finished at once.
            m_cutOff = true;
            m_body.clear();
            m_reply->abort();
        }
    }
}
