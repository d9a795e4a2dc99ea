#include "controller/GammaRamp.h"
#include "platform/linux/RandrScreenGamma.h"
#include "support/ServerGammaRamp.h"

#include <QtTest>
#include <cmath>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/randr.h>

namespace {

using Channels = ServerGammaRamp::Channels;

// The ramp the program makes at a temperature (hundreds of kelvin) and a level 0..8; `first`
// gives the first of its two loads.
GammaRamp programRamp(int temperature, int level, bool first)
{
    return CGammaRamp::rampFor(temperature, level - 8, first);
}

Channels channelsOf(const GammaRamp& ramp)
{
    return {std::vector<std::uint16_t>(ramp.red.begin(), ramp.red.end()),
            std::vector<std::uint16_t>(ramp.green.begin(), ramp.green.end()),
            std::vector<std::uint16_t>(ramp.blue.begin(), ramp.blue.end())};
}

// A ramp unlike the identity and unlike anything the program makes, per channel.
Channels someOriginal(int seed)
{
    Channels channels;
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 256; ++i) {
            channels[c].push_back(static_cast<std::uint16_t>((i * (150 + 20 * c + seed)) % 65536));
        }
    }
    return channels;
}

} // namespace

// Reads and writes the server's ramp with requests of the test's own.
class RandrScreenGammaTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void appliedRampReadsBackExactly();
    void restoreOriginalPutsBackTheRampFoundBefore();
    void markerLeftByACrashIsRestoredAtTheNextStart();
    void rampsDarkerThanTheProgramMakesAreRefused();
    void corruptMarkerIsRemovedAndNothingApplied_data();
    void corruptMarkerIsRemovedAndNothingApplied();
    void withoutDisplayNothingIsApplied();
    void otherGammaSizesInterpolate();

private:
    Channels serverRamp() const { return m_server->read(); }
    void setServerRamp(const Channels& channels) { QVERIFY(m_server->write(channels)); }
    QString markerPath() const { return m_dir->filePath(QStringLiteral("data/gamma.json")); }

    std::unique_ptr<ServerGammaRamp> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    Channels m_original;
};

void RandrScreenGammaTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QByteArray test(QTest::currentTestFunction());
    if (test == "withoutDisplayNothingIsApplied" || test == "otherGammaSizesInterpolate") {
        return;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X server");
    }
    m_server = std::make_unique<ServerGammaRamp>();
    QVERIFY(m_server->isValid());
    QCOMPARE(m_server->size(), 256);
    m_original = someOriginal(0);
    setServerRamp(m_original);
    QCOMPARE(serverRamp(), m_original);
}

void RandrScreenGammaTest::cleanup()
{
    if (m_server && m_server->isValid()) {
        setServerRamp(ServerGammaRamp::identity());
    }
    m_server.reset();
    m_dir.reset();
}

void RandrScreenGammaTest::appliedRampReadsBackExactly()
{
    const auto gamma = createScreenGamma(markerPath());
    const GammaRamp ramp = programRamp(55, 3, false);
    QVERIFY(gamma->apply(ramp));
    QCOMPARE(serverRamp(), channelsOf(ramp));
    QVERIFY(QFile::exists(markerPath()));
}

void RandrScreenGammaTest::restoreOriginalPutsBackTheRampFoundBefore()
{
    const auto gamma = createScreenGamma(markerPath());
    QVERIFY(gamma->apply(programRamp(45, 2, true)));
    QVERIFY(gamma->apply(programRamp(45, 2, false)));
    QVERIFY(gamma->restoreOriginal());
    QCOMPARE(serverRamp(), m_original);
    QVERIFY(!QFile::exists(markerPath()));

    // The saved state is forgotten: the next apply saves the ramp found then.
    const Channels another = someOriginal(7);
    setServerRamp(another);
    QVERIFY(gamma->apply(programRamp(66, 4, false)));
    QVERIFY(gamma->restoreOriginal());
    QCOMPARE(serverRamp(), another);
}

void RandrScreenGammaTest::markerLeftByACrashIsRestoredAtTheNextStart()
{
    const GammaRamp ramp = programRamp(45, 0, false);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // Dies with the ramp loaded: no destructor, no restore.
        RandrScreenGamma gamma(markerPath());
        _exit(gamma.apply(ramp) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(serverRamp(), channelsOf(ramp));
    QVERIFY(QFile::exists(markerPath()));

    const auto gamma = createScreenGamma(markerPath());
    QCOMPARE(serverRamp(), m_original);
    QVERIFY(!QFile::exists(markerPath()));
}

void RandrScreenGammaTest::rampsDarkerThanTheProgramMakesAreRefused()
{
    const auto gamma = createScreenGamma(markerPath());
    GammaRamp dark = programRamp(45, 0, false);
    dark.blue[255] = RandrScreenGamma::kMinimumTopBlue - 1;
    QVERIFY(!gamma->apply(dark));
    GammaRamp black;
    QVERIFY(!gamma->apply(black));
    QCOMPARE(serverRamp(), m_original);
    QVERIFY(!QFile::exists(markerPath()));

    // The dimmest, warmest ramps the program makes, both applications, do pass.
    QVERIFY(gamma->apply(programRamp(45, 0, true)));
    QVERIFY(gamma->apply(programRamp(45, 0, false)));
    QCOMPARE(serverRamp(), channelsOf(programRamp(45, 0, false)));
}

void RandrScreenGammaTest::corruptMarkerIsRemovedAndNothingApplied_data()
{
    // Each would load a black ramp into the test's CRTC if it were taken.
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("truncated");
    QTest::newRow("truncated") << 256 << 256 << 0 << true;
    QTest::newRow("short channel") << 256 << 255 << 0 << false;
    QTest::newRow("value out of range") << 256 << 256 << -1 << false;
}

void RandrScreenGammaTest::corruptMarkerIsRemovedAndNothingApplied()
{
    QFETCH(int, size);
    QFETCH(int, entries);
    QFETCH(int, value);
    QFETCH(bool, truncated);
    QJsonArray channel;
    for (int i = 0; i < entries; ++i) {
        channel.append(value);
    }
    const QJsonObject crtc{{"crtc", static_cast<qint64>(m_server->crtc())},
                           {"size", size},
                           {"red", channel},
                           {"green", channel},
                           {"blue", channel}};
    QByteArray marker =
        QJsonDocument(
            QJsonObject{{"format", "winkwell-gamma"}, {"version", 1}, {"crtcs", QJsonArray{crtc}}})
            .toJson(QJsonDocument::Compact);
    if (truncated) {
        marker.truncate(marker.size() - 10);
    }
    QVERIFY(QDir().mkpath(QFileInfo(markerPath()).absolutePath()));
    QFile file(markerPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(marker);
    file.close();

    const auto gamma = createScreenGamma(markerPath());
    QVERIFY(!QFile::exists(markerPath()));
    QCOMPARE(serverRamp(), m_original);
}

void RandrScreenGammaTest::withoutDisplayNothingIsApplied()
{
    RandrScreenGamma gamma(markerPath(), ":987");
    QVERIFY(!gamma.isAvailable());
    QVERIFY(!gamma.apply(programRamp(66, 8, false)));
    QVERIFY(gamma.restoreOriginal());
    QVERIFY(!QFile::exists(markerPath()));
}

void RandrScreenGammaTest::otherGammaSizesInterpolate()
{
    std::array<std::uint16_t, 256> channel{};
    for (int i = 0; i < 256; ++i) {
        channel[i] = static_cast<std::uint16_t>(i * i);
    }
    // 511 entries: the even ones are the ramp's own, the odd ones halfway between two.
    const auto fine = RandrScreenGamma::resample(channel, 511);
    QCOMPARE(fine.size(), std::size_t(511));
    QCOMPARE(fine[0], channel[0]);
    QCOMPARE(fine[200], channel[100]);
    QCOMPARE(fine[201], std::uint16_t(std::lround((channel[100] + channel[101]) / 2.0)));
    QCOMPARE(fine[510], channel[255]);
    // 18 entries: every fifteenth of the ramp.
    const auto coarse = RandrScreenGamma::resample(channel, 18);
    QCOMPARE(coarse.size(), std::size_t(18));
    QCOMPARE(coarse[1], channel[15]);
    QCOMPARE(coarse[17], channel[255]);
}

QTEST_GUILESS_MAIN(RandrScreenGammaTest)
#include "test_randr_screen_gamma.moc"
