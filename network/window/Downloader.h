#pragma once

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class UpdateTransfer;

// The download window of the update check. It fetches the installer into the download folder,
// shows progress and the time remaining, checks the file against the definition's checksums,
// and opens the folder that holds it; it never runs what it fetched. A file whose checksum does
// not match is deleted at once. A file already in the folder is never replaced: the installer
// takes the first free name ("name (1).deb", ...).
class Downloader : public QWidget
{
    Q_OBJECT

public:
    explicit Downloader(QWidget* parent = nullptr);
    ~Downloader() override;

    // The user's download folder unless set.
    QString downloadFolder() const { return m_folder; }
    void setDownloadFolder(const QString& folder) { m_folder = folder; }
    QString fileName() const { return m_fileName; }
    // Where the current or last download goes: the file name, or the free name chosen for it.
    QString filePath() const;
    bool isDownloading() const;

    // "%1 bytes", "%1 KB" or "%1 MB".
    static QString sizeText(qint64 bytes);
    // The first of name, "base (1).suffix", "base (2).suffix", ... that is in folder neither as
    // itself nor with ".part"; empty when all are taken.
    static QString freeFileName(const QString& folder, const QString& name);
    // The estimate after elapsedSeconds: "about 3 hours", "2 minutes", "1 second", or "unknown"
    // while no rate is known. Empty when no second has passed (the label keeps its text).
    static QString timeRemainingText(qint64 received, qint64 total, qint64 elapsedSeconds);

public slots:
    void setUpdateProperties(QString url, QString md5, QString sha256 = QString());
    void startDownload(QUrl url);
    void setFileName(QString file);
    void setUserAgentString(QString agent);

signals:
    void downloadFinished(QString url, QString filepath);

private slots:
    void finished(const QString& problem);
    void openDownload();
    void installUpdate();
    void cancelDownload();
    void updateProgress(qint64 received, qint64 total);

private:
    void calculateSizes(qint64 received, qint64 total);
    void calculateTimeRemaining(qint64 received, qint64 total);
    void askToDownloadAgain(const QString& informativeText);
    QString partPath() const { return filePath() + QStringLiteral(".part"); }

    QLabel* m_downloadLabel;
    QProgressBar* m_progressBar;
    QLabel* m_timeLabel;
    QPushButton* m_openButton;
    QPushButton* m_stopButton;
    UpdateTransfer* m_transfer;
    QPointer<QMessageBox> m_question;

    QString m_folder;
    QString m_fileName;
    QString m_savedName;
    QUrl m_url;
    QString m_md5;
    QString m_sha256;
    qint64 m_startTime = 0;
};
