#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// One GET for the update check: the definition into memory, or an installer into a file. It
// follows at most five redirects, never away from https, stops at a size limit (error pages
// too), and works whether or not the server states the size.
class UpdateTransfer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxRedirects = 5;

    explicit UpdateTransfer(QObject* parent = nullptr);
    ~UpdateTransfer() override;

    void setUserAgent(const QByteArray& agent) { m_userAgent = agent; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }

    // Into memory (body()), or with a path into that file, which is replaced. A running
    // transfer is dropped first.
    void start(const QUrl& url, const QString& filePath = QString());
    // Ends a running transfer without finished(); a file it was writing is removed.
    void abort();

    bool isRunning() const { return !m_reply.isNull(); }
    const QByteArray& body() const { return m_body; }
    qint64 received() const { return m_received; }

signals:
    // total is -1 while the size is unknown.
    void progress(qint64 received, qint64 total);
    // problem is empty on success.
    void finished(QString problem);

private slots:
    void readData();
    void replyFinished();

private:
    void request(const QUrl& url);
    void fail(const QString& problem);
    void closeReply();

    QNetworkAccessManager* m_manager;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_userAgent;
    qint64 m_maxBytes = 1 << 20;
    QString m_filePath;
    QFile m_file;
    QByteArray m_body;
    qint64 m_received = 0;
    // What a redirect or an error page brought; limited like an answer.
    qint64 m_discarded = 0;
    int m_redirects = 0;
};
