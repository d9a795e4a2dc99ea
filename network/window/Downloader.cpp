#include "Downloader.h"

#include "network/update/UpdateDefinition.h"
#include "network/update/UpdateTransfer.h"

#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cmath>

namespace {
// No installer comes near this; a server that keeps sending is cut off.
constexpr qint64 kMaxInstallerBytes = qint64(2) << 30;

QString timeRemainingLabel(const QString& estimate)
{
    return Downloader::tr("Time remaining") + QStringLiteral(": ") + estimate;
}

QMessageBox* messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                        const QString& informative, QMessageBox::StandardButtons buttons,
                        QMessageBox::StandardButton defaultButton)
{
    auto* box = new QMessageBox(icon, title, text, buttons);
    box->setInformativeText(informative);
    box->setDefaultButton(defaultButton);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}
} // namespace

Downloader::Downloader(QWidget* parent)
    : QWidget(parent), m_downloadLabel(new QLabel(this)), m_progressBar(new QProgressBar(this)),
      m_timeLabel(new QLabel(this)), m_openButton(new QPushButton(tr("Open"), this)),
      m_stopButton(new QPushButton(tr("Stop"), this)), m_transfer(new UpdateTransfer(this))
{
    setWindowTitle(tr("Updater"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_downloadLabel->setObjectName(QStringLiteral("downloadLabel"));
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setMinimumWidth(320);
    m_timeLabel->setObjectName(QStringLiteral("timeLabel"));
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_openButton->setEnabled(false);
    m_openButton->hide();

    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(m_openButton);
    buttons->addWidget(m_stopButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_downloadLabel);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_timeLabel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    resize(362, 136);

    m_folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (m_folder.isEmpty()) {
        m_folder = QDir::homePath();
    }
    connect(m_openButton, &QPushButton::clicked, this, &Downloader::openDownload);
    connect(m_stopButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
    connect(m_transfer, &UpdateTransfer::progress, this, &Downloader::updateProgress);
    connect(m_transfer, &UpdateTransfer::finished, this, &Downloader::finished);
}

Downloader::~Downloader()
{
    delete m_question;
}

QString Downloader::filePath() const
{
    return QDir(m_folder).filePath(m_savedName.isEmpty() ? m_fileName : m_savedName);
}

QString Downloader::freeFileName(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    const auto isFree = [&dir](const QString& candidate) {
        return !QFileInfo::exists(dir.filePath(candidate)) &&
               !QFileInfo::exists(dir.filePath(candidate + QStringLiteral(".part")));
    };
    if (isFree(name)) {
        return name;
    }
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    constexpr int kMaxNumber = 9999;
    for (int number = 1; number <= kMaxNumber; ++number) {
        const QString candidate =
            QStringLiteral("%1 (%2)%3")
                .arg(info.completeBaseName(), QString::number(number), suffix);
        if (isFree(candidate)) {
            return candidate;
        }
    }
    return QString();
}

bool Downloader::isDownloading() const
{
    return m_transfer->isRunning();
}

void Downloader::setUpdateProperties(QString url, QString md5, QString sha256)
{
    m_url = QUrl(url);
    m_md5 = std::move(md5);
    m_sha256 = std::move(sha256);
}

void Downloader::setFileName(QString file)
{
    // Only a plain name: the folder is ours to choose.
    if (file.isEmpty() || file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')) ||
        file == QLatin1String(".") || file == QLatin1String("..")) {
        file = QStringLiteral("QSU_Update.bin");
    }
    m_fileName = file;
}

void Downloader::setUserAgentString(QString agent)
{
    m_transfer->setUserAgent(agent.toUtf8());
}

void Downloader::startDownload(QUrl url)
{
    if (m_fileName.isEmpty()) {
        setFileName(QString());
    }
    m_url = url;
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_stopButton->setText(tr("Stop"));
    m_openButton->setEnabled(false);
    m_openButton->hide();
    m_downloadLabel->setText(tr("Downloading updates"));
    m_timeLabel->setText(timeRemainingLabel(tr("unknown")));
    m_startTime = QDateTime::currentSecsSinceEpoch();
    QDir().mkpath(m_folder);
    // The user's own files stay as they are, whatever their names.
    m_savedName = freeFileName(m_folder, m_fileName);
    if (m_savedName.isEmpty()) {
        qDebug() << "Downloader: no free name for" << m_fileName << "in" << m_folder;
        askToDownloadAgain(tr("Error, the update could not be saved!"));
        return;
    }
    qDebug() << "Downloader::startDownload" << url.toString() << "into" << filePath();
    m_transfer->setMaxBytes(kMaxInstallerBytes);
    m_transfer->start(url, partPath());
    showNormal();
}

void Downloader::updateProgress(qint64 received, qint64 total)
{
    if (total < 1) {
        // The server did not say the size: a busy bar, and what has arrived so far.
        m_progressBar->setRange(0, 0);
        m_progressBar->setValue(-1);
        m_downloadLabel->setText(tr("Downloading updates") + QStringLiteral(" (") +
                                 sizeText(received) + QLatin1Char(')'));
        m_timeLabel->setText(timeRemainingLabel(tr("unknown")));
        return;
    }
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(static_cast<int>(std::min<qint64>(received, total) * 100 / total));
    calculateSizes(received, total);
    calculateTimeRemaining(received, total);
}

QString Downloader::sizeText(qint64 bytes)
{
    if (bytes < 1024) {
        return tr("%1 bytes").arg(bytes);
    }
    if (bytes < 1048576) {
        return tr("%1 KB").arg(bytes / 1024);
    }
    return tr("%1 MB").arg(bytes / 1048576);
}

void Downloader::calculateSizes(qint64 received, qint64 total)
{
    m_downloadLabel->setText(tr("Downloading updates") + QStringLiteral(" (") + sizeText(received) +
                             QLatin1Char(' ') + tr("of") + QLatin1Char(' ') + sizeText(total) +
                             QLatin1Char(')'));
}

QString Downloader::timeRemainingText(qint64 received, qint64 total, qint64 elapsedSeconds)
{
    if (elapsedSeconds <= 0) {
        return QString();
    }
    const qint64 rate = received / elapsedSeconds;
    if (rate <= 0 || total < 1) {
        return tr("unknown");
    }
    // What is still missing, not the whole size.
    const double seconds = static_cast<double>(std::max<qint64>(total - received, 0)) / rate;
    if (seconds > 7200) {
        const int hours = static_cast<int>(std::floor(seconds / 3600 + 0.5));
        return hours >= 2 ? tr("about %1 hours").arg(hours) : tr("about one hour");
    }
    if (seconds > 60) {
        const int minutes = static_cast<int>(std::floor(seconds / 60 + 0.5));
        return minutes >= 2 ? tr("%1 minutes").arg(minutes) : tr("1 minute");
    }
    const int whole = static_cast<int>(std::floor(seconds + 0.5));
    return whole >= 2 ? tr("%1 seconds").arg(whole) : tr("1 second");
}

void Downloader::calculateTimeRemaining(qint64 received, qint64 total)
{
    const QString estimate =
        timeRemainingText(received, total, QDateTime::currentSecsSinceEpoch() - m_startTime);
    if (!estimate.isEmpty()) {
        m_timeLabel->setText(timeRemainingLabel(estimate));
    }
}

void Downloader::finished(const QString& problem)
{
    hide();
    if (!problem.isEmpty()) {
        qDebug() << "Downloader: the download failed:" << problem;
        askToDownloadAgain(tr("Error, the update could not be downloaded!"));
        return;
    }
    qDebug() << "Downloader::finished()";
    const QString mismatch = checksumProblem(partPath(), m_md5, m_sha256);
    if (!mismatch.isEmpty()) {
        // Never left where it could be opened by mistake.
        QFile::remove(partPath());
        qDebug() << "Downloader: the downloaded update is deleted:" << mismatch;
        askToDownloadAgain(tr("Error, the downloaded update is corrupted!"));
        return;
    }
    const QString part = partPath();
    if (QFileInfo::exists(filePath())) {
        // Came into being during the download.
        m_savedName = freeFileName(m_folder, m_fileName);
    }
    if (!QFile::rename(part, filePath())) {
        QFile::remove(part);
        qDebug() << "Downloader: cannot move the update to" << filePath();
        askToDownloadAgain(tr("Error, the update could not be saved!"));
        return;
    }
    emit downloadFinished(m_url.toString(), filePath());
    installUpdate();
}

void Downloader::askToDownloadAgain(const QString& informativeText)
{
    if (m_question) {
        // Possibly the box whose answer led here.
        m_question->deleteLater();
    }
    m_question =
        messageBox(QMessageBox::Critical, tr("Updater"), tr("Press OK to download again."),
                   informativeText, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    connect(m_question, &QMessageBox::finished, this, [this](int result) {
        if (result == QMessageBox::Ok) {
            startDownload(m_url);
        }
    });
    m_question->show();
}

void Downloader::installUpdate()
{
    // Nothing fetched is run: the user opens the verified installer from its folder.
    qDebug() << "Downloader::installUpdate()";
    m_stopButton->setText(tr("Close"));
    m_downloadLabel->setText(tr("Download complete!"));
    m_timeLabel->setText(tr("Saved as %1").arg(QDir::toNativeSeparators(filePath())));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(100);
    m_openButton->setEnabled(true);
    m_openButton->show();
    showNormal();
    openDownload();
}

void Downloader::openDownload()
{
    qDebug() << "Downloader::openDownload()";
    if (m_fileName.isEmpty() || !QFileInfo::exists(filePath())) {
        QMessageBox* box =
            messageBox(QMessageBox::Critical, tr("Error"), tr("The downloaded update is missing!"),
                       QString(), QMessageBox::Close, QMessageBox::Close);
        box->show();
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath()).absolutePath()));
}

void Downloader::cancelDownload()
{
    if (!m_transfer->isRunning()) {
        hide();
        return;
    }
    if (m_question) {
        // Possibly the box whose answer led here.
        m_question->deleteLater();
    }
    m_question = messageBox(QMessageBox::Question, tr("Updater"),
                            tr("Are you sure you want to cancel the download?"), QString(),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    connect(m_question, &QMessageBox::finished, this, [this](int result) {
        if (result == QMessageBox::Yes) {
            hide();
            m_transfer->abort();
            qDebug() << "Downloader: download cancelled";
        }
    });
    m_question->show();
}
