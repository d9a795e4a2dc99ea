// The main window's global hotkeys: the editors of the settings page, their registration
// (HotkeySet) and what each hotkey does.

#include "HotkeyText.h"
#include "WinkwellGUI.h"
#include "common/SettingsStore.h"
#include "ui_WinkwellGUI.h"

#include <QButtonGroup>
#include <QDebug>
#include <QKeySequenceEdit>
#include <QLineEdit>

void WinkwellGUI::setUpHotkeys()
{
    m_hotkeys = new HotkeySet(m_services.globalShortcut, this);
    connect(m_hotkeys, &HotkeySet::activated, this, [this](HotkeySet::Hotkey hotkey) {
        switch (hotkey) {
        case HotkeySet::Brighter:
            increaseBrightness();
            break;
        case HotkeySet::Darker:
            decreaseBrightness();
            break;
        case HotkeySet::ColorTemperature:
            changeColorTemperature();
            break;
        }
    });
    connect(m_hotkeys, &HotkeySet::changed, this, &WinkwellGUI::showHotkeyProblems);
}

QKeySequenceEdit* WinkwellGUI::hotkeyEditor(HotkeySet::Hotkey hotkey) const
{
    switch (hotkey) {
    case HotkeySet::Brighter:
        return m_ui->keySequenceEdit_hotkeysIncreaseHWScreenBrightness;
    case HotkeySet::Darker:
        return m_ui->keySequenceEdit_hotkeysDecreaseHWScreenBrightness;
    case HotkeySet::ColorTemperature:
        break;
    }
    return m_ui->keySequenceEdit_hotkeysChangeColorTemperature;
}

void WinkwellGUI::loadHotkeys(const QKeySequence& brighter, const QKeySequence& darker,
                              const QKeySequence& colorTemperature)
{
    m_hotkeys->load({brighter, darker, colorTemperature});
    for (int i = 0; i < HotkeySet::kCount; ++i) {
        const auto hotkey = static_cast<HotkeySet::Hotkey>(i);
        hotkeyEditor(hotkey)->setKeySequence(m_hotkeys->sequence(hotkey));
    }
}

void WinkwellGUI::refreshHotkeyEditors()
{
    // Key names follow the language only when the editor shows its sequence anew.
    for (int i = 0; i < HotkeySet::kCount; ++i) {
        QKeySequenceEdit* editor = hotkeyEditor(static_cast<HotkeySet::Hotkey>(i));
        const QSignalBlocker blocker(editor);
        const QKeySequence sequence = editor->keySequence();
        editor->clear();
        editor->setKeySequence(sequence);
    }
    showHotkeyProblems();
}

void WinkwellGUI::showHotkeyProblems()
{
    const QLabel* names[] = {m_ui->label_hotkeysIncreaseHWScreenBrightness,
                             m_ui->label_hotkeysDecreaseHWScreenBrightness,
                             m_ui->label_hotkeysChangeColorTemperature};
    QStringList lines;
    for (int i = 0; i < HotkeySet::kCount; ++i) {
        const auto hotkey = static_cast<HotkeySet::Hotkey>(i);
        const QString problem = m_hotkeys->problem(hotkey);
        QKeySequenceEdit* editor = hotkeyEditor(hotkey);
        editor->setStyleSheet(problem.isEmpty()
                                  ? QString()
                                  : QStringLiteral("QLineEdit{border: 1px solid #d45500;}"));
        if (!problem.isEmpty()) {
            lines << names[i]->text() + QLatin1Char(' ') + problem;
        }
    }
    const bool wasShown = !m_ui->label_hotkeysProblem->isHidden();
    m_ui->label_hotkeysProblem->setText(lines.join(QLatin1Char('\n')));
    m_ui->label_hotkeysProblem->setVisible(!lines.isEmpty());
    if (wasShown != !lines.isEmpty() && isVisible()) {
        fitToContentsOf(m_ui->label_hotkeysProblem); // the page grew or shrank by the lines
    }
}

void WinkwellGUI::on_checkBox_hotkeysEnable_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_hotkeysEnable_toggled" << checked;
    enableHotkeyEditors(checked);
    saveSetting(SettingKeys::hotkeysOn, checked);
    m_hotkeys->setEnabled(checked);
}

void WinkwellGUI::enableHotkeyEditors(bool enabled)
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->label_hotkeysIncreaseHWScreenBrightness,
                                         m_ui->keySequenceEdit_hotkeysIncreaseHWScreenBrightness,
                                         m_ui->label_hotkeysDecreaseHWScreenBrightness,
                                         m_ui->keySequenceEdit_hotkeysDecreaseHWScreenBrightness,
                                         m_ui->label_hotkeysChangeColorTemperature,
                                         m_ui->keySequenceEdit_hotkeysChangeColorTemperature}) {
        control->setEnabled(enabled);
    }
}

void WinkwellGUI::changeHotkey(const char* slot, HotkeySet::Hotkey hotkey, const SettingKey& key)
{
    QKeySequenceEdit* editor = hotkeyEditor(hotkey);
    const QKeySequence sequence = editor->keySequence();
    qDebug() << slot << hotkeyToText(sequence);
    if (!m_hotkeys->change(hotkey, sequence)) {
        // Never left in the editor: switching hotkeys off and on would register it twice.
        const QSignalBlocker blocker(editor);
        editor->setKeySequence(m_hotkeys->sequence(hotkey));
        return;
    }
    // Kept even when the system refused it: another program may give it up by the next start.
    saveSetting(key, hotkeyToText(sequence));
}

void WinkwellGUI::on_keySequenceEdit_hotkeysIncreaseHWScreenBrightness_editingFinished()
{
    changeHotkey(
        "WinkwellGUI::on_keySequenceEdit_hotkeysIncreaseHWScreenBrightness_editingFinished()",
        HotkeySet::Brighter, SettingKeys::hotkeyBrightnessUp);
}

void WinkwellGUI::on_keySequenceEdit_hotkeysDecreaseHWScreenBrightness_editingFinished()
{
    changeHotkey(
        "WinkwellGUI::on_keySequenceEdit_hotkeysDecreaseHWScreenBrightness_editingFinished()",
        HotkeySet::Darker, SettingKeys::hotkeyBrightnessDown);
}

void WinkwellGUI::on_keySequenceEdit_hotkeysChangeColorTemperature_editingFinished()
{
    changeHotkey("WinkwellGUI::on_keySequenceEdit_hotkeysChangeColorTemperature_editingFinished()",
                 HotkeySet::ColorTemperature, SettingKeys::hotkeyColorTemperature);
}

void WinkwellGUI::increaseBrightness()
{
    qDebug() << "WinkwellGUI::increaseBrightness()";
    if (m_ui->toolButton_screenControlOnOff->isChecked()) {
        // The slider clamps to its range; at the end nothing changes and nothing is sent.
        m_ui->slider_brightness->setValue(m_ui->slider_brightness->value() +
                                          m_ui->slider_brightness->pageStep());
    }
}

void WinkwellGUI::decreaseBrightness()
{
    qDebug() << "WinkwellGUI::decreaseBrightness()";
    if (m_ui->toolButton_screenControlOnOff->isChecked()) {
        m_ui->slider_brightness->setValue(m_ui->slider_brightness->value() -
                                          m_ui->slider_brightness->pageStep());
    }
}

void WinkwellGUI::changeColorTemperature()
{
    // From normal to ever warmer, then back to normal.
    const int old = m_colorTemperatureButtons->checkedId();
    qDebug() << "WinkwellGUI::decreaseColorTemperature() old" << old;
    int next = 0;
    switch (old) {
    case 66:
        next = 45;
        break;
    case 45:
        next = 55;
        break;
    case 55:
        next = 66;
        break;
    default:
        return;
    }
    m_colorTemperatureButtons->button(next)->setChecked(true);
}
