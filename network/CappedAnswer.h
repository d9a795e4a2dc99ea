#pragma once

#include <QByteArray>
#include <QObject>

class QNetworkReply;

// Collects a reply's answer as it arrives, up to a limit. A longer answer (a portal page, a
// misconfigured server, something posing as one) is cut off and its reply aborted, so that it
// never fills the memory; an error page counts like any other answer.
class CappedAnswer : public QObject
{
    Q_OBJECT

public:
    // Watches reply from now on, as its child.
    CappedAnswer(QNetworkReply* reply, qint64 maxBytes);

    // The one watching reply; null when there is none.
    static CappedAnswer* of(QNetworkReply* reply);

    // Everything the reply brought, once it has finished; empty when it was cut off.
    QByteArray take();
    bool cutOff() const { return m_cutOff; }
    qint64 maxBytes() const { return m_maxBytes; }

private:
    void read();

    QNetworkReply* m_reply;
    qint64 m_maxBytes;
    QByteArray m_body;
    bool m_cutOff = false;
};
