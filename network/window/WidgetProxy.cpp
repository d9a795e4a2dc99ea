#include "WidgetProxy.h"

#include "ui_WidgetProxy.h"

#include <QDateTime>
#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QIntValidator>
#include <QMessageBox>
#include <QMouseEvent>
#include <utility>

namespace {
// QIntValidator lets "70000" through as a number still being typed; a port never gets there.
class PortValidator : public QIntValidator
{
public:
    using QIntValidator::QIntValidator;
    State validate(QString& input, int& position) const override
    {
        const State state = QIntValidator::validate(input, position);
        bool ok = false;
        const int value = input.toInt(&ok);
        return state == Intermediate && ok && value > top() ? Invalid : state;
    }
};

void addShadow(QWidget* widget)
{
    auto* shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setBlurRadius(5);
    shadow->setOffset(1, 1);
    widget->setGraphicsEffect(shadow);
}
} // namespace

WidgetProxy::WidgetProxy(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::widgetProxy>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    addShadow(m_ui->widgetTitleBarForShadow);
    addShadow(m_ui->widgetApplication);
    addShadow(m_ui->widgetGraph);
    enableFields(false);
    m_ui->lineEditPort->setValidator(new PortValidator(0, 65535, this));
    m_ui->labelWait->hide();
    qDebug() << "widget proxy created";
}

WidgetProxy::~WidgetProxy()
{
    qDebug() << "WidgetProxy destructor";
}

void WidgetProxy::enableFields(bool enabled)
{
    m_ui->checkBoxUseSettings->setChecked(enabled);
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->lineEditServer), static_cast<QWidget*>(m_ui->lineEditPort),
          static_cast<QWidget*>(m_ui->lineEditUsername),
          static_cast<QWidget*>(m_ui->lineEditPassword), static_cast<QWidget*>(m_ui->labelServer),
          static_cast<QWidget*>(m_ui->labelPort), static_cast<QWidget*>(m_ui->labelUser),
          static_cast<QWidget*>(m_ui->labelPassword)}) {
        widget->setEnabled(enabled);
    }
}

void WidgetProxy::clearFields()
{
    m_ui->lineEditServer->clear();
    m_ui->lineEditPort->clear();
    m_ui->lineEditUsername->clear();
    m_ui->lineEditPassword->clear();
}

void WidgetProxy::fillFields()
{
    m_ui->lineEditServer->setText(m_accepted.server);
    m_ui->lineEditPort->setText(QString::number(m_accepted.port));
    m_ui->lineEditUsername->setText(m_accepted.user);
    m_ui->lineEditPassword->setText(m_accepted.password);
}

void WidgetProxy::showAccepted()
{
    if (!m_accepted.server.isEmpty()) {
        enableFields(true);
        fillFields();
    } else {
        clearFields();
        enableFields(false);
    }
}

void WidgetProxy::setProxySettings(QString server, quint16 port, QString user, QString password)
{
    qDebug() << QDateTime::currentDateTimeUtc().toString(Qt::ISODate) << "PG: "
             << "setproxySettings";
    m_accepted = Settings{std::move(server), port, std::move(user), std::move(password)};
    if (m_checking) {
        // Loaded at start while the user's own candidate is tried: the fields keep it.
        return;
    }
    enableFields(true);
    fillFields();
}

void WidgetProxy::showProxySettings()
{
    if (isHidden()) {
        show();
    }
    raise();
    activateWindow();
}

void WidgetProxy::on_checkBoxUseSettings_clicked(bool isEnabled)
{
    enableFields(isEnabled);
    if (!isEnabled) {
        // Saving now means: the system's proxy configuration.
        clearFields();
    }
}

void WidgetProxy::on_pushButtonSave_clicked()
{
    m_ui->labelWait->show();
    bool ok = false;
    const uint port = m_ui->lineEditPort->text().toUInt(&ok);
    m_candidate = Settings{m_ui->lineEditServer->text(),
                           ok && port <= 0xffff ? static_cast<quint16>(port) : quint16(0),
                           m_ui->lineEditUsername->text(), m_ui->lineEditPassword->text()};
    m_checking = true;
    emit proxySettingsChanged(m_candidate.server, m_candidate.port, m_candidate.user,
                              m_candidate.password);
}

void WidgetProxy::saveProxySettings(bool isValid)
{
    m_ui->labelWait->hide();
    const bool withdrawn = !std::exchange(m_checking, false);
    if (isValid) {
        // What was sent, not what the fields hold meanwhile: that is what the controller stored.
        m_accepted = m_candidate;
        if (!withdrawn) {
            close();
        } else if (isHidden()) {
            // Answered before the withdrawal reached the controller: the candidate is in force.
            qDebug() << "WidgetProxy: the withdrawn proxy had been accepted already";
            showAccepted();
        }
        return;
    }
    if (withdrawn) {
        qDebug() << "WidgetProxy: the answer to a withdrawn proxy check is dropped";
        return;
    }
    qDebug() << "WidgetProxy: Server unreachable. Please provide valid settings. or the network "
                "settings has changed";
    auto* box = new QMessageBox(
        QMessageBox::Warning, QString(),
        tr("Server unreachable or network settings has changed. Please provide valid settings or "
           "restart winkwell."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

void WidgetProxy::restoreAndClose()
{
    if (std::exchange(m_checking, false)) {
        emit proxyCheckCancelled();
    }
    showAccepted();
    close();
    m_ui->labelWait->hide();
}

void WidgetProxy::on_pushButtonCancel_clicked()
{
    restoreAndClose();
}

void WidgetProxy::on_toolButtonClose_clicked()
{
    restoreAndClose();
}

void WidgetProxy::mousePressEvent(QMouseEvent* event)
{
    const bool inTitleBar =
        m_ui->widgetTitleBar->rect().contains(m_ui->widgetTitleBar->mapFrom(this, event->pos()));
    m_dragAnchor = inTitleBar ? event->pos() : QPoint();
    QWidget::mousePressEvent(event);
}

void WidgetProxy::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && !m_dragAnchor.isNull() && !isMaximized()) {
        move(event->globalPos() - m_dragAnchor);
    }
    QWidget::mouseMoveEvent(event);
}

void WidgetProxy::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    }
    QWidget::changeEvent(event);
}
