#include "app/LanguageCatalog.h"
#include "app/LanguageSwitch.h"
#include "gui/BlinkRatePlot.h"
#include "gui/CameraSettingsDialog.h"
#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "network/window/WidgetProxy.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeCameraControls.h"
#include "platform/fake/FakeGlobalShortcut.h"
#include "statistics/window/WidgetStatistics.h"
#include "support/FakeSystemListener.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <qcustomplot.h>

// Every window in each language the program ships, with the translations compiled into it.
class TestLanguages : public QObject
{
    Q_OBJECT

private:
    LanguageCatalog m_catalog;
    LanguageSwitch m_switch;

    int indexOf(const QString& name) const
    {
        for (int i = 0; i < m_catalog.locales().size(); ++i) {
            if (m_catalog.locales().at(i).name() == name) {
                return i;
            }
        }
        return -1;
    }

    void switchTo(const QString& name)
    {
        m_switch.apply(m_catalog, indexOf(name));
        QCoreApplication::processEvents();
    }

    // Every text a window shows or explains, by the object and its property; byName keys them
    // by object name alone, to compare two windows of one kind.
    static QMap<QString, QString> texts(const QList<QWidget*>& windows, bool byName = false)
    {
        QMap<QString, QString> all;
        const auto add = [&all, byName](const QObject* object, const char* what,
                                        const QString& text) {
            if (byName && object->objectName().isEmpty()) {
                return; // the camera driver's names of its controls
            }
            all.insert(
                QStringLiteral("%1 %2 %3 ")
                        .arg(object->metaObject()->className(), object->objectName(),
                             QLatin1String(what)) +
                    (byName ? QString() : QString::number(reinterpret_cast<quintptr>(object), 16)),
                text);
        };
        for (QWidget* window : windows) {
            add(window, "title", window->windowTitle());
            for (const QWidget* widget : window->findChildren<QWidget*>()) {
                add(widget, "tooltip", widget->toolTip());
                if (const auto* label = qobject_cast<const QLabel*>(widget)) {
                    add(label, "text", label->text());
                } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
                    add(button, "text", button->text());
                } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
                    add(box, "title", box->title());
                } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
                    add(edit, "placeholder", edit->placeholderText());
                }
            }
            for (const QAction* action : window->findChildren<QAction*>()) {
                add(action, "text", action->text());
                add(action, "tooltip", action->toolTip());
            }
        }
        return all;
    }

    // Texts that read the same in every language: names, numbers, and what is not translated.
    static bool readsTheSame(const QString& text)
    {
        static const QStringList same{"winkwell", "Winkwell",          "HTTP/HTTPS proxy:", "port:",
                                      "OK",       "Integrated Camera", "USB Camera",        "WARM",
                                      "NORMAL",   "HD Webcam C525"};
        static const QRegularExpression letter(QStringLiteral("[A-Za-z]{2}"));
        return same.contains(text) || !text.contains(letter);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_catalog = LanguageCatalog::scan(QStringLiteral(":/"));
    }

    void cleanupTestCase() { switchTo(QStringLiteral("en_US")); }

    void fourLanguagesEnglishFirst()
    {
        QStringList names;
        for (const QLocale& locale : m_catalog.locales()) {
            names << locale.name();
        }
        QCOMPARE(names.first(), QStringLiteral("en_US"));
        names.sort();
        QCOMPARE(names, QStringList({"cs_CZ", "de_DE", "en_US", "sk_SK"}));
        QCOMPARE(m_catalog.locales().at(indexOf("sk_SK")).nativeLanguageName(),
                 QStringLiteral("slovenčina"));
        QCOMPARE(m_catalog.locales().at(indexOf("cs_CZ")).nativeLanguageName(),
                 QStringLiteral("čeština"));
    }

    // Each window takes the new language at once; numbers, dates and the framework's own
    // buttons follow it.
    void everyWindowFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("rate");  // 7.5 blinks per minute in the plot's tooltip
        QTest::addColumn<QString>("yes");   // the framework's Yes button
        QTest::addColumn<QString>("blink"); // the blink reminder
        QTest::newRow("Slovak") << "sk_SK"
                                << "7,5"
                                << "Án&o"
                                << "stačí žmurknúť ;)";
        QTest::newRow("German") << "de_DE"
                                << "7,5"
                                << "&Ja"
                                << "einfach blinzeln ;)";
        QTest::newRow("Czech") << "cs_CZ"
                               << "7,5"
                               << "&Ano"
                               << "stačí mrknout ;)";
        QTest::newRow("English") << "en_US"
                                 << "7.5"
                                 << "&Yes"
                                 << "just blink ;)";
    }

    void everyWindowFollowsTheLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, rate);
        QFETCH(QString, yes);
        QFETCH(QString, blink);
        const QString before =
            locale == "en_US" ? QStringLiteral("de_DE") : QStringLiteral("en_US");
        switchTo(before);

        GuiServices services;
        auto cameras = std::make_shared<FakeCameraCatalog>();
        cameras->cameras = QStringList{"Integrated Camera", "USB Camera"};
        services.cameras = cameras;
        services.cameraControls = [](int) { return std::make_unique<FakeCameraControls>(); };
        services.autostart = std::make_shared<FakeAutostart>();
        services.systemListenerFactory = [] {
            return std::unique_ptr<SystemSession::EventFilter>(
                std::make_unique<FakeSystemListener>());
        };
        auto keys = std::make_shared<FakeGlobalShortcuts>();
        services.globalShortcut = keys->factory();
        services.languages = [this] { return m_catalog.locales(); };
        services.setLanguage = [this](int index) { m_switch.apply(m_catalog, index); };
        WinkwellGUI gui(services);
        gui.init();
        const QDateTime when(QDate(2024, 3, 18), QTime(9, 12));
        gui.updateHealthStatus({7.5}, {230}, {when});
        WidgetStatistics statistics(&gui);
        statistics.updateStatistics({7.5, 9.0}, {230, 210}, {when, when.addDays(1)}, 0);
        WidgetProxy proxy(&gui);
        BlinkReminderWidget blinkReminder(&gui);
        BreakReminderWidget breakReminder(&gui);
        ExerciseReminderWidget exercise(&gui);
        // The camera settings are a modal dialog, made anew in the language of the moment.
        FakeCameraControls camera;
        camera.plugTypicalWebcam();
        auto cameraSettings = std::make_unique<CameraSettingsDialog>(camera);
        const QList<QWidget*> windows{&gui,           &statistics,    &proxy,
                                      &blinkReminder, &breakReminder, &exercise};
        QMap<QString, QString> earlier = texts(windows);
        earlier.insert(texts({cameraSettings.get()}, true));

        switchTo(locale);
        cameraSettings = std::make_unique<CameraSettingsDialog>(camera);
        QMap<QString, QString> now = texts(windows);
        now.insert(texts({cameraSettings.get()}, true));
        QStringList unchanged;
        for (auto it = earlier.cbegin(); it != earlier.cend(); ++it) {
            if (!it.value().isEmpty() && !readsTheSame(it.value()) &&
                now.value(it.key()) == it.value()) {
                unchanged << it.key().section(' ', 0, 2) + ": " + it.value();
            }
        }
        QVERIFY2(unchanged.isEmpty(), qPrintable(unchanged.join('\n')));

        QCOMPARE(gui.plot()->findChild<QCustomPlot*>()->locale(), QLocale(locale));
        QVERIFY2(gui.plot()->pointToolTip(0).contains(' ' + rate + ' '),
                 qPrintable(gui.plot()->pointToolTip(0)));
        QVERIFY(gui.plot()->pointToolTip(0).startsWith(
            QLocale(locale).toString(when, QStringLiteral("d. MMM yyyy h:mm"))));
        QCOMPARE(statistics.findChild<QLabel*>("labelStartDate")->text(),
                 QLocale(locale).toString(when, QStringLiteral("d. MMM yyyy h:mm")));
        QStringList reminderTexts;
        for (const QLabel* label : blinkReminder.findChildren<QLabel*>()) {
            reminderTexts << label->text();
        }
        QVERIFY2(reminderTexts.contains(blink), qPrintable(reminderTexts.join('|')));
        QMessageBox question(QMessageBox::Question, QString(), QString(),
                             QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.button(QMessageBox::Yes)->text(), yes);
    }
};

QTEST_MAIN(TestLanguages)
#include "test_languages.moc"
