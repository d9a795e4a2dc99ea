#include "platform/linux/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The autostart entry as a desktop session reads it.
class TestXdgAutostart : public QObject
{
    Q_OBJECT

private:
    static QString read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void entryIsValidForAnyPathAndGoesAway_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/winkwell"
                               << "\"/usr/bin/winkwell\" /m";
        QTest::newRow("spaces") << "/opt/My Apps/winkwell"
                                << "\"/opt/My Apps/winkwell\" /m";
        // Quoting escapes ", $, ` and \ with a backslash; the entry's string escaping then
        // doubles every backslash, and % is doubled.
        QTest::newRow("specials") << "/opt/a\"b$c`d\\e%f/winkwell"
                                  << "\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f/winkwell\" /m";
    }

    void entryIsValidForAnyPathAndGoesAway()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QTemporaryDir dir;
        XdgAutostart autostart(dir.filePath("config/autostart"));
        QVERIFY(!autostart.isEnabled());
        QVERIFY(autostart.enable(program));
        QVERIFY(autostart.isEnabled());
        const QString text = read(autostart.entryPath());
        QVERIFY2(text.contains("\nExec=" + exec + "\n"), qPrintable(text));

        if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
            QProcess validate;
            validate.setProcessChannelMode(QProcess::MergedChannels);
            validate.start("desktop-file-validate", {autostart.entryPath()});
            QVERIFY(validate.waitForFinished(10000));
            QVERIFY2(validate.exitCode() == 0, validate.readAll().constData());
        }
        // Written again (a moved program) replaces the entry.
        QVERIFY(autostart.enable("/usr/local/bin/winkwell"));
        QVERIFY(read(autostart.entryPath()).contains("Exec=\"/usr/local/bin/winkwell\" /m"));
        QVERIFY(autostart.disable());
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(autostart.disable()); // nothing left is fine
    }

    void theDesktopsChoiceStaysAndControlCharactersAreEscaped()
    {
        QTemporaryDir dir;
        XdgAutostart autostart(dir.filePath("autostart"));
        QVERIFY(autostart.enable("/usr/bin/winkwell"));
        // Switched off in the desktop's start-up tool, which also keeps a flag of its own.
        QString edited = read(autostart.entryPath());
        edited.replace("X-GNOME-Autostart-enabled=true",
                       "X-GNOME-Autostart-enabled=false\nHidden=true\nX-Desktop-Flag=kept");
        edited += "[Desktop Action other]\nExec=other\n";
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write(edited.toUtf8());
        entry.close();
        // The next start follows the moved program and keeps the rest.
        QVERIFY(autostart.refresh("/opt/winkwell/winkwell"));
        QString text = read(autostart.entryPath());
        QVERIFY2(text.contains("\nExec=\"/opt/winkwell/winkwell\" /m\n"), qPrintable(text));
        QVERIFY(text.contains("\nHidden=true\n") && text.contains("X-Desktop-Flag=kept"));
        QVERIFY(text.contains("X-GNOME-Autostart-enabled=false"));
        QVERIFY(!text.contains("X-GNOME-Autostart-enabled=true"));
        QVERIFY(text.endsWith("[Desktop Action other]\nExec=other\n"));
        // The user switching it on in the program means it.
        QVERIFY(autostart.enable("/opt/winkwell/winkwell"));
        text = read(autostart.entryPath());
        QVERIFY(!text.contains("Hidden=") && !text.contains("X-GNOME-Autostart-enabled=false"));
        QCOMPARE(text.count("X-GNOME-Autostart-enabled=true"), 1);
        QVERIFY(text.indexOf("X-GNOME-Autostart-enabled=true") < text.indexOf("[Desktop Action"));

        // A path with a newline or a tab is written with the entry's escapes; one with another
        // control character cannot be written, and nothing is.
        QVERIFY(autostart.disable());
        QVERIFY(autostart.enable("/opt/new\nline\tapp/winkwell"));
        QVERIFY(read(autostart.entryPath()).contains("Exec=\"/opt/new\\nline\\tapp/winkwell\""));
        QVERIFY(autostart.disable());
        QVERIFY(!autostart.enable(QStringLiteral("/opt/bell\x07/winkwell")));
        QVERIFY(!autostart.isEnabled());
    }

    void unwritableFolderFailsAndSaysSo()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("config"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        XdgAutostart autostart(dir.filePath("config/autostart"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Autostart: cannot create"));
        QVERIFY(!autostart.enable("/usr/bin/winkwell"));
        QVERIFY(!autostart.isEnabled());
    }

    // An installed program is started through its link in bin/, a build where it lies.
    void installedProgramStartsThroughItsLink()
    {
        QTemporaryDir dir;
        const QString installed = dir.filePath("usr/lib/winkwell/winkwell");
        const QString build = dir.filePath("build/bin/winkwell");
        for (const QString& program : {installed, build}) {
            QVERIFY(QDir().mkpath(QFileInfo(program).absolutePath()));
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir().mkpath(dir.filePath("usr/bin")));
        QVERIFY(QFile::link("../lib/winkwell/winkwell", dir.filePath("usr/bin/winkwell")));
        QCOMPARE(XdgAutostart::launcherPath(installed), dir.filePath("usr/bin/winkwell"));
        QCOMPARE(XdgAutostart::launcherPath(build), build);
        // A bin/winkwell that is another program's is not this one's launcher.
        QVERIFY(QDir().mkpath(dir.filePath("bin")));
        QVERIFY(QFile::link(installed, dir.filePath("bin/winkwell")));
        QCOMPARE(XdgAutostart::launcherPath(build), build);

        XdgAutostart autostart(dir.filePath("config/autostart"));
        QVERIFY(autostart.enable(installed));
        QVERIFY(read(autostart.entryPath())
                    .contains("Exec=\"" + dir.filePath("usr/bin/winkwell") + "\" /m\n"));
    }

    void defaultFolderFollowsXdgConfigHome()
    {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        QCOMPARE(XdgAutostart().entryPath(), dir.filePath("autostart/winkwell.desktop"));
    }
};

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "test_xdg_autostart.moc"
