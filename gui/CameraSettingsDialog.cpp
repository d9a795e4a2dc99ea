#include "CameraSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {

const char* const kStyle = R"(
#CameraSettingsDialog, QScrollArea, #qt_scrollarea_viewport, #widget_controls {
    background: white;
}
QLabel#label_heading { font-size: 12pt; }
QLabel#label_heading[warning="true"] { color: #d45500; }
QPushButton {
    color: #98c800;
    font-weight: bold;
    border: none;
    background: transparent;
    padding: 6px 0px;
}
QPushButton:hover { color: #7a9f00; }
QPushButton:disabled { color: #b4b4b4; }
QSlider::groove:horizontal { height: 4px; background: #dcdcdc; border-radius: 2px; }
QSlider::sub-page:horizontal { background: #98c800; border-radius: 2px; }
QSlider::sub-page:horizontal:disabled { background: #c8c8c8; }
QSlider::handle:horizontal {
    image: url(:/icons/slider.svg);
    width: 18px;
    height: 18px;
    margin: -7px 0;
}
QSlider::handle:horizontal:disabled { image: none; background: #c8c8c8; border-radius: 9px; }
QCheckBox::indicator {
    width: 16px;
    height: 16px;
    border: 1px solid #a0a0a0;
    border-radius: 2px;
    background: white;
}
QCheckBox::indicator:checked {
    border-color: #98c800;
    background: #98c800;
    image: url(:/icons/checkmark.svg);
}
QCheckBox::indicator:disabled { border-color: #d0d0d0; }
QCheckBox::indicator:checked:disabled { border-color: #c8c8c8; background: #c8c8c8; }
)";

// Whether two descriptions give the same row, so that only its value and state need updating.
bool sameRow(const CameraControl& a, const CameraControl& b)
{
    if (a.id != b.id || a.type != b.type || a.name != b.name || a.minimum != b.minimum ||
        a.maximum != b.maximum || a.step != b.step || a.menuItems.size() != b.menuItems.size()) {
        return false;
    }
    for (int i = 0; i < a.menuItems.size(); ++i) {
        if (a.menuItems[i].value != b.menuItems[i].value ||
            a.menuItems[i].name != b.menuItems[i].name) {
            return false;
        }
    }
    return true;
}

QString editorName(quint32 controlId)
{
    return QStringLiteral("control_%1").arg(controlId);
}

} // namespace

CameraSettingsDialog::CameraSettingsDialog(CameraControls& controls, QWidget* parent)
    : QDialog(parent), m_controls(controls), m_heading(new QLabel(this)),
      m_message(new QLabel(this)), m_scrollArea(new QScrollArea(this)),
      m_resetButton(new QPushButton(tr("RESET TO DEFAULTS"), this))
{
    setObjectName(QStringLiteral("CameraSettingsDialog"));
    setWindowTitle(tr("Camera settings"));
    setModal(true);
    setStyleSheet(QLatin1String(kStyle));

    m_heading->setObjectName(QStringLiteral("label_heading"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setWordWrap(true);
    m_message->setObjectName(QStringLiteral("label_message"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_resetButton->setObjectName(QStringLiteral("pushButton_resetToDefaults"));
    m_resetButton->setAutoDefault(false);
    auto* closeButton = new QPushButton(tr("CLOSE"), this);
    closeButton->setObjectName(QStringLiteral("pushButton_close"));
    closeButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_resetButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 10);
    layout->setSpacing(12);
    layout->addWidget(m_heading);
    layout->addWidget(m_message);
    layout->addWidget(m_scrollArea, 1);
    layout->addLayout(buttons);

    connect(m_resetButton, &QPushButton::clicked, this, &CameraSettingsDialog::resetToDefaults);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    const CameraAccess access = m_controls.access();
    m_cameraName = access.cameraName;
    if (access.state == CameraAccess::State::Granted) {
        refresh();
    } else {
        showMessage(access);
    }
}

CameraSettingsDialog::~CameraSettingsDialog() = default;

QString CameraSettingsDialog::messageText() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

QWidget* CameraSettingsDialog::editorFor(quint32 controlId) const
{
    QWidget* rows = m_scrollArea->widget();
    return rows ? rows->findChild<QWidget*>(editorName(controlId)) : nullptr;
}

void CameraSettingsDialog::refresh()
{
    const QVector<CameraControl> controls = m_controls.controls();
    if (controls.isEmpty()) {
        const CameraAccess access = m_controls.access();
        if (access.state != CameraAccess::State::Granted) {
            showMessage(access);
        } else {
            showMessage(m_cameraName, tr("This camera has no settings to adjust."), false);
        }
        return;
    }
    bool same = controls.size() == m_rows.size();
    for (int i = 0; same && i < controls.size(); ++i) {
        same = sameRow(controls[i], m_rows[i].control);
    }
    if (same) {
        for (int i = 0; i < controls.size(); ++i) {
            updateRow(m_rows[i], controls[i]);
        }
    } else {
        buildRows(controls);
    }
    m_heading->setProperty("warning", false);
    m_heading->setStyleSheet(QString()); // the warning property changed: polish again
    m_heading->setText(m_cameraName);
    m_heading->setVisible(!m_cameraName.isEmpty());
    m_message->hide();
    m_scrollArea->show();
    m_resetButton->show();
}

void CameraSettingsDialog::resetToDefaults()
{
    qDebug() << "CameraSettingsDialog: reset to defaults";
    m_controls.resetToDefaults();
    refresh();
}

void CameraSettingsDialog::showMessage(const CameraAccess& access)
{
    switch (access.state) {
    case CameraAccess::State::Granted:
        break;
    case CameraAccess::State::NoDevice:
        showMessage(QString(), tr("No camera settings: the camera is not connected."), false);
        return;
    case CameraAccess::State::PermissionDenied: {
        const QString group =
            access.deviceGroup.isEmpty() ? QStringLiteral("video") : access.deviceGroup;
        showMessage(tr("Did you allow camera use?"),
                    tr("Your user account may not use the camera (%1).\nAdd it to the group "
                       "\"%2\", then log out and back in.")
                        .arg(access.devicePath, group),
                    true);
        return;
    }
    case CameraAccess::State::Busy:
        showMessage(QString(), tr("No camera settings: another program is using the camera."),
                    false);
        return;
    case CameraAccess::State::NotACamera:
        showMessage(QString(), tr("No camera settings: %1 is not a camera.").arg(access.devicePath),
                    false);
        return;
    case CameraAccess::State::Failed:
        break;
    }
    showMessage(
        QString(),
        tr("No camera settings: %1 cannot be opened (%2).").arg(access.devicePath, access.message),
        false);
}

void CameraSettingsDialog::showMessage(const QString& heading, const QString& text, bool warning)
{
    m_rows.clear();
    if (QWidget* rows = m_scrollArea->takeWidget()) {
        rows->hide();
        rows->deleteLater(); // the change that led here may come from one of its widgets
    }
    m_heading->setProperty("warning", warning);
    m_heading->setStyleSheet(QString());
    m_heading->setText(heading);
    m_heading->setVisible(!heading.isEmpty());
    m_message->setText(text);
    // One line where it fits a reasonable width, so that a short message is not wrapped.
    const QFontMetrics metrics(m_message->font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    m_message->setMinimumWidth(std::min(widest, metrics.averageCharWidth() * 60));
    m_message->show();
    m_scrollArea->hide();
    m_resetButton->hide();
}

void CameraSettingsDialog::buildRows(const QVector<CameraControl>& controls)
{
    m_rows.clear();
    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("widget_controls"));
    auto* grid = new QGridLayout(rows);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    for (const CameraControl& control : controls) {
        Row row;
        row.control = control;
        addRow(row, *grid, m_rows.size());
        updateRow(row, control);
        m_rows.append(row);
    }
    grid->setRowStretch(m_rows.size(), 1);

    if (QWidget* old = m_scrollArea->takeWidget()) {
        old->hide();
        old->deleteLater(); // the change that led here may come from one of its widgets
    }
    m_scrollArea->setWidget(rows);
    // As tall as the rows where the screen allows, so that a typical camera needs no scrolling.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() * 2 / 3 : 600;
    const bool scrolls = rows->sizeHint().height() > available;
    if (scrolls) {
        grid->setContentsMargins(0, 0, 12, 0); // keep the values clear of the scroll bar
    }
    const QSize wanted = rows->sizeHint();
    m_scrollArea->setMinimumHeight(std::min(wanted.height(), available));
    m_scrollArea->setMinimumWidth(
        wanted.width() + (scrolls ? m_scrollArea->verticalScrollBar()->sizeHint().width() : 0));
}

void CameraSettingsDialog::addRow(Row& row, QGridLayout& grid, int line)
{
    const CameraControl& control = row.control;
    const quint32 id = control.id;
    row.name = new QLabel(control.name);
    row.name->setTextFormat(Qt::PlainText);
    grid.addWidget(row.name, line, 0);
    QWidget* editor = nullptr;
    switch (control.type) {
    case CameraControl::Type::Integer: {
        const qint64 range = qint64(control.maximum) - control.minimum;
        qint64 positions = range / control.step;
        row.sliderStep = control.step;
        if (positions > INT_MAX) {
            // Only a driver with a range of the whole int gets here: coarser steps, still valid.
            row.sliderStep = qint64(control.step) * ((positions + INT_MAX - 1) / INT_MAX);
            positions = range / row.sliderStep;
        }
        row.slider = new QSlider(Qt::Horizontal);
        row.slider->setRange(0, static_cast<int>(positions));
        row.slider->setPageStep(std::max<int>(1, static_cast<int>(positions / 10)));
        row.slider->setMinimumWidth(200);
        row.value = new QLabel;
        row.value->setObjectName(QStringLiteral("value_%1").arg(id));
        row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const QFontMetrics metrics(row.value->font());
        row.value->setMinimumWidth(
            std::max(metrics.horizontalAdvance(QString::number(control.minimum)),
                     metrics.horizontalAdvance(QString::number(control.maximum))));
        grid.addWidget(row.slider, line, 1);
        grid.addWidget(row.value, line, 2);
        editor = row.slider;
        connect(row.slider, &QSlider::valueChanged, this, [this, id](int position) {
            if (Row* changed = rowFor(id)) {
                const qint32 value = sliderValue(*changed, position);
                changed->value->setText(QString::number(value));
                apply(id, value);
            }
        });
        // While dragging only the dragged value is sent; the others are read once it is let go.
        connect(row.slider, &QSlider::sliderReleased, this, &CameraSettingsDialog::refresh);
        break;
    }
    case CameraControl::Type::Boolean:
        row.checkBox = new QCheckBox;
        grid.addWidget(row.checkBox, line, 1, 1, 2, Qt::AlignLeft);
        editor = row.checkBox;
        connect(row.checkBox, &QCheckBox::clicked, this,
                [this, id](bool checked) { apply(id, checked ? 1 : 0); });
        break;
    case CameraControl::Type::Menu:
        row.comboBox = new QComboBox;
        for (const CameraMenuItem& item : control.menuItems) {
            row.comboBox->addItem(item.name, item.value);
        }
        grid.addWidget(row.comboBox, line, 1);
        editor = row.comboBox;
        connect(row.comboBox, QOverload<int>::of(&QComboBox::activated), this,
                [this, id](int index) {
                    if (Row* changed = rowFor(id)) {
                        apply(id, changed->comboBox->itemData(index).toInt());
                    }
                });
        break;
    case CameraControl::Type::Button:
        row.button = new QPushButton(tr("APPLY"));
        row.button->setAutoDefault(false);
        grid.addWidget(row.button, line, 1, 1, 2, Qt::AlignLeft);
        editor = row.button;
        connect(row.button, &QPushButton::clicked, this, [this, id] { apply(id, 1); });
        break;
    }
    editor->setObjectName(editorName(id));
    row.name->setBuddy(editor);
}

void CameraSettingsDialog::updateRow(Row& row, const CameraControl& control)
{
    row.control = control;
    const bool enabled = !control.readOnly && !control.inactive;
    const QString tip = control.inactive && !control.readOnly
                            ? tr("Has no effect now, usually because an automatic mode is on.")
                            : QString();
    row.name->setEnabled(enabled);
    row.name->setToolTip(tip);
    if (row.slider) {
        // Never pull the handle from under the user's pointer.
        if (!row.slider->isSliderDown()) {
            const QSignalBlocker blocker(row.slider);
            row.slider->setValue(sliderPosition(row, control.value));
            row.value->setText(QString::number(control.value));
        }
        row.slider->setEnabled(enabled);
        row.slider->setToolTip(tip);
        row.value->setEnabled(enabled);
    }
    if (row.checkBox) {
        const QSignalBlocker blocker(row.checkBox);
        row.checkBox->setChecked(control.value != 0);
        row.checkBox->setEnabled(enabled);
        row.checkBox->setToolTip(tip);
    }
    if (row.comboBox) {
        const QSignalBlocker blocker(row.comboBox);
        const int index = row.comboBox->findData(control.value);
        if (index < 0) {
            qDebug() << "CameraSettingsDialog:" << control.name << "has the value" << control.value
                     << "outside its menu";
        }
        row.comboBox->setCurrentIndex(index);
        row.comboBox->setEnabled(enabled);
        row.comboBox->setToolTip(tip);
    }
    if (row.button) {
        row.button->setEnabled(enabled);
        row.button->setToolTip(tip);
    }
}

CameraSettingsDialog::Row* CameraSettingsDialog::rowFor(quint32 controlId)
{
    for (Row& row : m_rows) {
        if (row.control.id == controlId) {
            return &row;
        }
    }
    return nullptr;
}

void CameraSettingsDialog::apply(quint32 controlId, qint32 value)
{
    const Row* row = rowFor(controlId);
    const bool dragging = row && row->slider && row->slider->isSliderDown();
    // A refused value is put back by reading the controls again.
    if (!m_controls.setValue(controlId, value) || !dragging) {
        refresh();
    }
}

qint32 CameraSettingsDialog::sliderValue(const Row& row, int position)
{
    const qint64 value = row.control.minimum + qint64(position) * row.sliderStep;
    return static_cast<qint32>(std::min<qint64>(value, row.control.maximum));
}

int CameraSettingsDialog::sliderPosition(const Row& row, qint32 value)
{
    const qint64 offset = qint64(value) - row.control.minimum + row.sliderStep / 2;
    const qint64 position = offset / row.sliderStep;
    return static_cast<int>(std::clamp<qint64>(position, 0, row.slider->maximum()));
}
