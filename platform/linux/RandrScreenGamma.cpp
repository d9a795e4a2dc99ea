#include "RandrScreenGamma.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace {

const QString kMarkerFormat = QStringLiteral("winkwell-gamma");
constexpr int kMarkerVersion = 1;

QJsonArray toJson(const std::vector<std::uint16_t>& channel)
{
    QJsonArray array;
    for (const std::uint16_t value : channel) {
        array.append(static_cast<int>(value));
    }
    return array;
}

// A whole number in [minimum, maximum], or nothing.
std::optional<qint64> integerIn(const QJsonValue& value, qint64 minimum, qint64 maximum)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!(number >= static_cast<double>(minimum) && number <= static_cast<double>(maximum)) ||
        std::floor(number) != number) {
        return std::nullopt;
    }
    return static_cast<qint64>(number);
}

bool channelFromJson(const QJsonValue& value, int size, std::vector<std::uint16_t>& channel)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != size) {
        return false;
    }
    channel.clear();
    channel.reserve(static_cast<std::size_t>(size));
    for (const QJsonValue& entry : array) {
        const auto number = integerIn(entry, 0, 65535);
        if (!number) {
            return false;
        }
        channel.push_back(static_cast<std::uint16_t>(*number));
    }
    return true;
}

// The ramps a marker holds, or nothing with the reason in `error`. Anything short of a whole,
// well-formed marker is refused: its ramps are never loaded.
std::optional<std::vector<RandrScreenGamma::CrtcRamp>> parseMarker(const QByteArray& data,
                                                                   QString& error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("not JSON: %1 at offset %2")
                    .arg(parseError.errorString())
                    .arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toString() != kMarkerFormat) {
        error = QStringLiteral("not a gamma marker");
        return std::nullopt;
    }
    if (root.value(QStringLiteral("version")).toInt(-1) != kMarkerVersion) {
        error = QStringLiteral("unknown version");
        return std::nullopt;
    }
    const QJsonValue crtcs = root.value(QStringLiteral("crtcs"));
    if (!crtcs.isArray()) {
        error = QStringLiteral("no CRTC list");
        return std::nullopt;
    }
    std::vector<RandrScreenGamma::CrtcRamp> ramps;
    for (const QJsonValue& entry : crtcs.toArray()) {
        const QJsonObject object = entry.toObject();
        // X resource ids have 29 bits.
        const auto crtc = integerIn(object.value(QStringLiteral("crtc")), 1, 0x1fffffff);
        const auto size = integerIn(object.value(QStringLiteral("size")), 1, 65535);
        if (!entry.isObject() || !crtc || !size) {
            error = QStringLiteral("a CRTC entry without a valid id or size");
            return std::nullopt;
        }
        RandrScreenGamma::CrtcRamp ramp;
        ramp.crtc = static_cast<xcb_randr_crtc_t>(*crtc);
        const bool channelsValid =
            channelFromJson(object.value(QStringLiteral("red")), int(*size), ramp.red) &&
            channelFromJson(object.value(QStringLiteral("green")), int(*size), ramp.green) &&
            channelFromJson(object.value(QStringLiteral("blue")), int(*size), ramp.blue);
        if (!channelsValid) {
            error = QStringLiteral("CRTC %1: a channel is not %2 values 0..65535")
                        .arg(ramp.crtc)
                        .arg(*size);
            return std::nullopt;
        }
        const bool repeated = std::any_of(
            ramps.begin(), ramps.end(), [&](const auto& other) { return other.crtc == ramp.crtc; });
        if (repeated) {
            error = QStringLiteral("CRTC %1 appears twice").arg(ramp.crtc);
            return std::nullopt;
        }
        ramps.push_back(std::move(ramp));
    }
    return ramps;
}

} // namespace

bool RandrScreenGamma::isSafe(const GammaRamp& ramp)
{
    return ramp.red[255] >= kMinimumTopRed && ramp.green[255] >= kMinimumTopGreen &&
           ramp.blue[255] >= kMinimumTopBlue;
}

std::vector<std::uint16_t> RandrScreenGamma::resample(const std::array<std::uint16_t, 256>& channel,
                                                      int size)
{
    if (size <= 0) {
        return {};
    }
    if (size == 256) {
        return std::vector<std::uint16_t>(channel.begin(), channel.end());
    }
    if (size == 1) {
        return {channel[255]};
    }
    std::vector<std::uint16_t> resampled(static_cast<std::size_t>(size));
    for (int j = 0; j < size; ++j) {
        // Exact at both ends: j = size - 1 gives 255.0.
        const double position = j * 255.0 / (size - 1);
        const int below = std::min(static_cast<int>(position), 254);
        const double fraction = position - below;
        const double value = channel[below] + (channel[below + 1] - channel[below]) * fraction;
        resampled[static_cast<std::size_t>(j)] =
            static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
    }
    return resampled;
}

RandrScreenGamma::RandrScreenGamma(const QString& markerPath, const char* displayName)
    : m_markerPath(markerPath), m_x(displayName)
{
    QString unavailable;
    if (!m_x.isValid()) {
        unavailable = QStringLiteral("no X display");
    } else {
        const xcb_query_extension_reply_t* extension =
            xcb_get_extension_data(m_x.get(), &xcb_randr_id);
        const auto version =
            extension && extension->present
                ? m_x.reply(xcb_randr_query_version_reply, xcb_randr_query_version(m_x.get(), 1, 3))
                : nullptr;
        if (!version || (version->major_version == 1 && version->minor_version < 3)) {
            unavailable = QStringLiteral("the X server lacks RandR 1.3");
        } else if (crtcs(false).empty()) {
            unavailable = QStringLiteral("no CRTC has a gamma ramp");
        }
    }
    if (!unavailable.isEmpty()) {
        qWarning().noquote() << "RandrScreenGamma: gamma ramps unavailable:" << unavailable
                             << "- software dimming and colour temperature do nothing";
    } else {
        m_available = true;
    }
    if (QFile::exists(m_markerPath)) {
        restoreFromMarker();
    }
}

RandrScreenGamma::~RandrScreenGamma()
{
    // A normal end never leaves a ramp loaded.
    if (!m_saved.empty()) {
        restoreOriginal();
    }
}

bool RandrScreenGamma::connectionUsable()
{
    if (m_x.isValid()) {
        return true;
    }
    qWarning() << "RandrScreenGamma: the X connection is gone";
    return false;
}

std::vector<RandrScreenGamma::Crtc> RandrScreenGamma::crtcs(bool activeOnly)
{
    xcb_connection_t* connection = m_x.get();
    const auto resources =
        m_x.reply(xcb_randr_get_screen_resources_current_reply,
                  xcb_randr_get_screen_resources_current(connection, m_x.root()));
    if (!resources) {
        return {};
    }
    const xcb_randr_crtc_t* ids = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_crtcs_length(resources.get());

    // All requests go out before the first reply is awaited.
    std::vector<xcb_randr_get_crtc_gamma_size_cookie_t> sizeCookies;
    std::vector<xcb_randr_get_crtc_info_cookie_t> infoCookies;
    for (int i = 0; i < count; ++i) {
        sizeCookies.push_back(xcb_randr_get_crtc_gamma_size(connection, ids[i]));
        if (activeOnly) {
            infoCookies.push_back(
                xcb_randr_get_crtc_info(connection, ids[i], resources->config_timestamp));
        }
    }
    std::vector<Crtc> found;
    for (int i = 0; i < count; ++i) {
        const auto size = m_x.reply(xcb_randr_get_crtc_gamma_size_reply,
                                    sizeCookies[static_cast<std::size_t>(i)]);
        bool active = true;
        if (activeOnly) {
            const auto info =
                m_x.reply(xcb_randr_get_crtc_info_reply, infoCookies[static_cast<std::size_t>(i)]);
            active = info && info->mode != XCB_NONE && info->num_outputs > 0;
        }
        if (size && size->size > 0 && active) {
            found.push_back({ids[i], size->size});
        }
    }
    return found;
}

std::optional<RandrScreenGamma::CrtcRamp> RandrScreenGamma::readRamp(xcb_randr_crtc_t crtc)
{
    const auto gamma =
        m_x.reply(xcb_randr_get_crtc_gamma_reply, xcb_randr_get_crtc_gamma(m_x.get(), crtc));
    if (!gamma || gamma->size == 0 ||
        xcb_randr_get_crtc_gamma_red_length(gamma.get()) != gamma->size ||
        xcb_randr_get_crtc_gamma_green_length(gamma.get()) != gamma->size ||
        xcb_randr_get_crtc_gamma_blue_length(gamma.get()) != gamma->size) {
        return std::nullopt;
    }
    const auto copy = [&](const std::uint16_t* values) {
        return std::vector<std::uint16_t>(values, values + gamma->size);
    };
    return CrtcRamp{crtc, copy(xcb_randr_get_crtc_gamma_red(gamma.get())),
                    copy(xcb_randr_get_crtc_gamma_green(gamma.get())),
                    copy(xcb_randr_get_crtc_gamma_blue(gamma.get()))};
}

bool RandrScreenGamma::writeRamp(const CrtcRamp& ramp)
{
    const auto size = static_cast<std::uint16_t>(ramp.red.size());
    const xcb_void_cookie_t cookie = xcb_randr_set_crtc_gamma_checked(
        m_x.get(), ramp.crtc, size, ramp.red.data(), ramp.green.data(), ramp.blue.data());
    XcbPointer<xcb_generic_error_t> error(xcb_request_check(m_x.get(), cookie));
    if (error) {
        qWarning() << "RandrScreenGamma: the server refused the ramp of CRTC" << ramp.crtc
                   << "error" << error->error_code;
        return false;
    }
    return m_x.isValid();
}

bool RandrScreenGamma::putBack(const std::vector<CrtcRamp>& ramps)
{
    QHash<xcb_randr_crtc_t, int> sizes;
    for (const Crtc& crtc : crtcs(false)) {
        sizes.insert(crtc.id, crtc.gammaSize);
    }
    bool allSet = true;
    for (const CrtcRamp& ramp : ramps) {
        if (sizes.value(ramp.crtc, 0) != static_cast<int>(ramp.red.size())) {
            qDebug() << "RandrScreenGamma: CRTC" << ramp.crtc
                     << "is gone or has another gamma size; its ramp is not put back";
            continue;
        }
        allSet = writeRamp(ramp) && allSet;
    }
    return allSet;
}

bool RandrScreenGamma::writeMarker() const
{
    QJsonArray crtcs;
    for (const CrtcRamp& ramp : m_saved) {
        crtcs.append(QJsonObject{{QStringLiteral("crtc"), static_cast<qint64>(ramp.crtc)},
                                 {QStringLiteral("size"), static_cast<int>(ramp.red.size())},
                                 {QStringLiteral("red"), toJson(ramp.red)},
                                 {QStringLiteral("green"), toJson(ramp.green)},
                                 {QStringLiteral("blue"), toJson(ramp.blue)}});
    }
    const QJsonObject root{{QStringLiteral("format"), kMarkerFormat},
                           {QStringLiteral("version"), kMarkerVersion},
                           {QStringLiteral("crtcs"), crtcs}};
    QDir().mkpath(QFileInfo(m_markerPath).absolutePath());
    QSaveFile file(m_markerPath);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        qWarning().noquote() << "RandrScreenGamma: cannot write the marker" << m_markerPath << ":"
                             << file.errorString();
        return false;
    }
    return true;
}

void RandrScreenGamma::restoreFromMarker()
{
    QFile file(m_markerPath);
    QString error;
    std::optional<std::vector<CrtcRamp>> ramps;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        ramps = parseMarker(file.readAll(), error);
        file.close();
    }
    if (!ramps) {
        qWarning().noquote() << "RandrScreenGamma: the marker" << m_markerPath
                             << "is unreadable or corrupt (" + error +
                                    "); removed, no ramp restored";
    } else if (!m_available) {
        // The ramps may still be loaded in a display that this start cannot reach.
        qWarning().noquote() << "RandrScreenGamma: the marker" << m_markerPath
                             << "is kept for a start that has gamma ramps";
        return;
    } else {
        const bool allSet = putBack(*ramps);
        qWarning().noquote() << "RandrScreenGamma: a previous run ended with its gamma ramp loaded;"
                             << (allSet ? "the ramps saved in" : "some ramps saved in")
                             << m_markerPath << (allSet ? "are back" : "could not be put back");
    }
    if (!QFile::remove(m_markerPath)) {
        qWarning().noquote() << "RandrScreenGamma: cannot remove the marker" << m_markerPath;
    }
}

bool RandrScreenGamma::apply(const GammaRamp& ramp)
{
    if (!isSafe(ramp)) {
        qWarning() << "RandrScreenGamma::apply refuses a ramp darker than the program makes: top "
                      "entries"
                   << ramp.red[255] << ramp.green[255] << ramp.blue[255] << "below the floor"
                   << kMinimumTopRed << kMinimumTopGreen << kMinimumTopBlue;
        return false;
    }
    if (!m_available || !connectionUsable()) {
        return false;
    }
    const std::vector<Crtc> active = crtcs(true);

    // Each CRTC's own ramp is saved, and recorded in the marker, before the first write to it;
    // a CRTC that turns up later is saved when it is first met.
    const std::size_t savedBefore = m_saved.size();
    const auto isSaved = [this](xcb_randr_crtc_t id) {
        return std::any_of(m_saved.begin(), m_saved.end(),
                           [id](const CrtcRamp& saved) { return saved.crtc == id; });
    };
    for (const Crtc& crtc : active) {
        if (isSaved(crtc.id)) {
            continue;
        }
        auto original = readRamp(crtc.id);
        if (!original) {
            qWarning() << "RandrScreenGamma: cannot read the ramp of CRTC" << crtc.id
                       << "- it is left alone";
            continue;
        }
        m_saved.push_back(std::move(*original));
    }
    if (m_saved.size() != savedBefore) {
        if (!writeMarker()) {
            // Without the record a crash would leave the ramp loaded for good.
            qWarning() << "RandrScreenGamma::apply: no ramp is loaded without its marker";
            m_saved.resize(savedBefore);
            return false;
        }
        qDebug() << "RandrScreenGamma: saved the ramps of" << m_saved.size() - savedBefore
                 << "CRTCs before loading one";
    }

    int loaded = 0;
    for (const Crtc& crtc : active) {
        if (!isSaved(crtc.id)) {
            continue;
        }
        const CrtcRamp resampled{crtc.id, resample(ramp.red, crtc.gammaSize),
                                 resample(ramp.green, crtc.gammaSize),
                                 resample(ramp.blue, crtc.gammaSize)};
        loaded += writeRamp(resampled) ? 1 : 0;
    }
    return loaded > 0;
}

bool RandrScreenGamma::restoreOriginal()
{
    if (m_saved.empty()) {
        return true;
    }
    if (!connectionUsable()) {
        // The marker stays: the next start puts the ramps back.
        return false;
    }
    if (!putBack(m_saved)) {
        qWarning() << "RandrScreenGamma::restoreOriginal: not every ramp could be put back; the "
                      "marker stays for the next start";
        return false;
    }
    m_saved.clear();
    if (QFile::exists(m_markerPath) && !QFile::remove(m_markerPath)) {
        qWarning().noquote() << "RandrScreenGamma: cannot remove the marker" << m_markerPath;
    }
    return true;
}

std::unique_ptr<ScreenGamma> createScreenGamma(const QString& markerPath)
{
    return std::make_unique<RandrScreenGamma>(markerPath);
}
