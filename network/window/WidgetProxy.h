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
// with saveProxySettings(). Closing the window while a candidate is tried withdraws it.
class WidgetProxy : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetProxy(QWidget* parent = nullptr);
    ~WidgetProxy() override;

signals:
    void proxySettingsChanged(QString server, quint16 port, QString user, QString password);
    // The window was closed while the candidate was being tried.
    void proxyCheckCancelled();

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
    struct Settings
    {
        QString server;
        quint16 port = 0;
        QString user;
        QString password;
    };

    void enableFields(bool enabled);
    void clearFields();
    void fillFields();
    void showAccepted();
    void restoreAndClose();

    std::unique_ptr<Ui::widgetProxy> m_ui;
    // What the server controller last accepted; restored on cancel.
    Settings m_accepted;
    // What SAVE sent, and whether its answer is still awaited.
    Settings m_candidate;
    bool m_checking = false;
    // Offset of the press inside the title bar; null when no drag is under way.
    QPoint m_dragAnchor;
};
