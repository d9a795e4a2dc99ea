#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class widgetProxy;
}

// The proxy settings window. It never touches the network or the settings store: "SAVE" hands
// the candidate to the server controller, which tries it, stores it when it works and answers
// with saveProxySettings().
class WidgetProxy : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetProxy(QWidget* parent = nullptr);
    ~WidgetProxy() override;

signals:
    void proxySettingsChanged(QString server, quint16 port, QString user, QString password);

public slots:
    void setProxySettings(QString server, quint16 port, QString user, QString password);
    void showProxySettings();
    void saveProxySettings(bool isValid);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_checkBoxUseSettings_clicked(bool isEnabled);
    void on_pushButtonSave_clicked();
    void on_pushButtonCancel_clicked();
    void on_toolButtonClose_clicked();

private:
    void enableFields(bool enabled);
    void clearFields();
    void fillFields();
    void restoreAndClose();

    std::unique_ptr<Ui::widgetProxy> m_ui;
    // What the server controller last accepted; restored on cancel.
    QString m_server;
    QString m_user;
    QString m_password;
    quint16 m_port = 0;
    // Offset of the press inside the title bar; null when no drag is under way.
    QPoint m_dragAnchor;
};
