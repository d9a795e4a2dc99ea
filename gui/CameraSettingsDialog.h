#pragma once

#include "platform/CameraControls.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QWidget;

// The selected camera's own settings (brightness, white balance...), one row per control,
// applied as soon as they change. Where the camera cannot be opened it says why instead.
class CameraSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // The controls must outlive the dialog.
    explicit CameraSettingsDialog(CameraControls& controls, QWidget* parent = nullptr);
    ~CameraSettingsDialog() override;

    // The explanation shown in place of the controls; empty while they are shown.
    QString messageText() const;
    // The editor of a control (slider, check box, combo box or push button), named
    // "control_<id>" (a slider's value label is "value_<id>"); nullptr when it has no row.
    QWidget* editorFor(quint32 controlId) const;

public slots:
    // Reads the controls again: a change may switch others on or off, or the camera may be gone.
    void refresh();

    void resetToDefaults();

private:
    struct Row
    {
        CameraControl control;
        QLabel* name = nullptr;
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
        QCheckBox* checkBox = nullptr;
        QComboBox* comboBox = nullptr;
        QPushButton* button = nullptr;
        qint64 sliderStep = 1; // value change per slider position
    };

    void showMessage(const CameraAccess& access);
    void showMessage(const QString& heading, const QString& text, bool warning);
    void buildRows(const QVector<CameraControl>& controls);
    void addRow(Row& row, QGridLayout& grid, int line);
    void updateRow(Row& row, const CameraControl& control);
    Row* rowFor(quint32 controlId);
    void apply(quint32 controlId, qint32 value);
    static qint32 sliderValue(const Row& row, int position);
    static int sliderPosition(const Row& row, qint32 value);

    CameraControls& m_controls;
    QLabel* m_heading;
    QLabel* m_message;
    QScrollArea* m_scrollArea;
    QPushButton* m_resetButton;
    QString m_cameraName;
    QVector<Row> m_rows;
};
