#include "DdcutilMonitors.h"

#include <QDebug>
#include <cerrno>
#include <cstring>
#include <ddcutil_status_codes.h>
#include <dlfcn.h>
#include <type_traits>
#include <utility>

// The functions used, with the signatures of <ddcutil_c_api.h> (1.4). The handle is opened with
// RTLD_NODELETE: libddcutil and glib keep per-thread data whose destructors run when a thread
// ends, so the code must stay mapped after dlclose().
struct DdcutilMonitors::Library
{
    struct Close
    {
        void operator()(void* handle) const { dlclose(handle); }
    };
    std::unique_ptr<void, Close> handle;

    const char* (*versionString)() = nullptr;
    const char* (*rcName)(DDCA_Status) = nullptr;
    const char* (*rcDesc)(DDCA_Status) = nullptr;
    DDCA_Status (*getDisplayInfoList2)(bool, DDCA_Display_Info_List**) = nullptr;
    void (*freeDisplayInfoList)(DDCA_Display_Info_List*) = nullptr;
    DDCA_Status (*openDisplay2)(DDCA_Display_Ref, bool, DDCA_Display_Handle*) = nullptr;
    DDCA_Status (*closeDisplay)(DDCA_Display_Handle) = nullptr;
    DDCA_Status (*getNonTableVcpValue)(DDCA_Display_Handle, DDCA_Vcp_Feature_Code,
                                       DDCA_Non_Table_Vcp_Value*) = nullptr;
    DDCA_Status (*setNonTableVcpValue)(DDCA_Display_Handle, DDCA_Vcp_Feature_Code, uint8_t,
                                       uint8_t) = nullptr;
    // Optional (1.2 and later): rescans the buses, so that a detect() after the first one sees
    // monitors that came or went.
    DDCA_Status (*redetectDisplays)() = nullptr;

    QString describe(DDCA_Status code) const
    {
        return QStringLiteral("%1 (%2: %3)")
            .arg(code)
            .arg(QString::fromUtf8(rcName(code)), QString::fromUtf8(rcDesc(code)));
    }
};

// An open display handle, closed with the object.
class DdcutilMonitors::OpenDisplay
{
public:
    OpenDisplay(const Library& library, DDCA_Display_Handle handle, QString description)
        : m_library(&library), m_handle(handle), m_description(std::move(description))
    {
    }
    ~OpenDisplay()
    {
        if (m_handle) {
            m_library->closeDisplay(m_handle);
        }
    }
    OpenDisplay(OpenDisplay&& other) noexcept
        : m_library(other.m_library), m_handle(std::exchange(other.m_handle, nullptr)),
          m_description(std::move(other.m_description))
    {
    }
    OpenDisplay& operator=(OpenDisplay&&) = delete;
    OpenDisplay(const OpenDisplay&) = delete;
    OpenDisplay& operator=(const OpenDisplay&) = delete;

    DDCA_Display_Handle handle() const { return m_handle; }
    const QString& description() const { return m_description; }

private:
    const Library* m_library;
    DDCA_Display_Handle m_handle;
    QString m_description;
};

namespace {

QString field(const char* text, std::size_t size)
{
    return QString::fromLatin1(text, static_cast<int>(strnlen(text, size))).trimmed();
}

// "<manufacturer> <model> #<serial>" from the EDID fields, as far as they are filled in.
QString describeDisplay(const DDCA_Display_Info& info)
{
    QStringList parts;
    for (const QString& part :
         {field(info.mfg_id, sizeof info.mfg_id), field(info.model_name, sizeof info.model_name)}) {
        if (!part.isEmpty()) {
            parts.append(part);
        }
    }
    const QString serial = field(info.sn, sizeof info.sn);
    if (!serial.isEmpty()) {
        parts.append(QLatin1Char('#') + serial);
    }
    if (parts.isEmpty()) {
        parts.append(QStringLiteral("Monitor %1").arg(info.dispno));
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

DdcutilMonitors::DdcutilMonitors(const char* libraryName) : m_libraryName(libraryName)
{
}

DdcutilMonitors::~DdcutilMonitors() = default;

// How libddcutil's status codes (negative errno values and the DDCRC_ codes of
// <ddcutil_status_codes.h>) reach the caller:
// - TransmissionError, the bus or the exchange failed and a later try may work: DDCRC_DDC_DATA
//   (a malformed or unchecked packet on the wire), DDCRC_NULL_RESPONSE, DDCRC_ALL_RESPONSES_NULL,
//   DDCRC_READ_ALL_ZERO, DDCRC_ALL_TRIES_ZERO, DDCRC_MULTI_PART_READ_FRAGMENT, DDCRC_RETRIES
//   (what the library returns when every retry failed, whatever the single cause), DDCRC_LOCKED
//   (another program holds the bus), and -EIO, -EREMOTEIO, -ETIMEDOUT, -EAGAIN, -EBUSY, -EINTR.
// - InvalidReply, the monitor answered, but not with a usable brightness: DDCRC_BAD_DATA,
//   DDCRC_REPORTED_UNSUPPORTED, DDCRC_DETERMINED_UNSUPPORTED, DDCRC_INTERPRETATION_FAILED,
//   DDCRC_VERIFY (the value read back after a write differs). A reply with maximum 0 or a
//   current value above the maximum is turned into InvalidReply by readBrightness().
// - MonitorGone, detect again: DDCRC_INVALID_DISPLAY, -ENODEV, -ENXIO (nothing answers at the
//   monitor's address), -ENOENT (the bus's device file is gone).
// - Failed: everything else (DDCRC_ARG for a stale handle, DDCRC_UNINITIALIZED, ...).
ExternalMonitors::Status DdcutilMonitors::statusOf(DDCA_Status code)
{
    switch (code) {
    case DDCRC_OK:
        return Status::Ok;
    case DDCRC_DDC_DATA:
    case DDCRC_NULL_RESPONSE:
    case DDCRC_ALL_RESPONSES_NULL:
    case DDCRC_READ_ALL_ZERO:
    case DDCRC_ALL_TRIES_ZERO:
    case DDCRC_MULTI_PART_READ_FRAGMENT:
    case DDCRC_RETRIES:
    case DDCRC_LOCKED:
    case -EIO:
    case -EREMOTEIO:
    case -ETIMEDOUT:
    case -EAGAIN:
    case -EBUSY:
    case -EINTR:
        return Status::TransmissionError;
    case DDCRC_BAD_DATA:
    case DDCRC_REPORTED_UNSUPPORTED:
    case DDCRC_DETERMINED_UNSUPPORTED:
    case DDCRC_INTERPRETATION_FAILED:
    case DDCRC_VERIFY:
        return Status::InvalidReply;
    case DDCRC_INVALID_DISPLAY:
    case -ENODEV:
    case -ENXIO:
    case -ENOENT:
        return Status::MonitorGone;
    default:
        return Status::Failed;
    }
}

bool DdcutilMonitors::load()
{
    if (m_loadTried) {
        return m_library != nullptr;
    }
    m_loadTried = true;
    auto library = std::make_unique<Library>();
    library->handle.reset(dlopen(m_libraryName.constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!library->handle) {
        m_lastError = QStringLiteral("libddcutil is not available: %1")
                          .arg(QString::fromLocal8Bit(dlerror()));
        qDebug().noquote() << "DdcutilMonitors:" << m_lastError
                           << "- external monitors are not controlled";
        return false;
    }
    QStringList missing;
    const auto take = [&](auto& function, const char* name, bool required = true) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            dlsym(library->handle.get(), name));
        if (!function && required) {
            missing.append(QString::fromLatin1(name));
        }
    };
    take(library->versionString, "ddca_ddcutil_version_string");
    take(library->rcName, "ddca_rc_name");
    take(library->rcDesc, "ddca_rc_desc");
    take(library->getDisplayInfoList2, "ddca_get_display_info_list2");
    take(library->freeDisplayInfoList, "ddca_free_display_info_list");
    take(library->openDisplay2, "ddca_open_display2");
    take(library->closeDisplay, "ddca_close_display");
    take(library->getNonTableVcpValue, "ddca_get_non_table_vcp_value");
    take(library->setNonTableVcpValue, "ddca_set_non_table_vcp_value");
    take(library->redetectDisplays, "ddca_redetect_displays", false);
    // ddca_ddcutil_version() would do too, but 1.4.1 traces it on stdout.
    const QString version =
        library->versionString ? QString::fromLatin1(library->versionString()) : QString();
    if (!missing.isEmpty() || !version.startsWith(QLatin1String("1."))) {
        m_lastError =
            missing.isEmpty()
                ? QStringLiteral("libddcutil %1 is not version 1").arg(version)
                : QStringLiteral("libddcutil lacks %1").arg(missing.join(QLatin1String(", ")));
        qWarning().noquote() << "DdcutilMonitors:" << m_lastError
                             << "- external monitors are not controlled";
        return false;
    }
    qDebug().noquote() << "DdcutilMonitors: libddcutil" << version << "loaded";
    m_library = std::move(library);
    return true;
}

QStringList DdcutilMonitors::detect()
{
    m_displays.clear();
    if (!load()) {
        return {};
    }
    const Library& library = *m_library;
    if (m_detected && library.redetectDisplays) {
        const DDCA_Status code = library.redetectDisplays();
        if (code != DDCRC_OK) {
            qWarning().noquote() << "DdcutilMonitors::detect: ddca_redetect_displays failed:"
                                 << library.describe(code);
        }
    }
    m_detected = true;

    DDCA_Display_Info_List* list = nullptr;
    const DDCA_Status code = library.getDisplayInfoList2(false, &list);
    if (code != DDCRC_OK || !list) {
        fail("ddca_get_display_info_list2", code, -1);
        qWarning().noquote() << "DdcutilMonitors::detect:" << m_lastError;
        return {};
    }
    QStringList descriptions;
    for (int i = 0; i < list->ct && int(m_displays.size()) < kMaximumMonitors; ++i) {
        const DDCA_Display_Info& info = list->info[i];
        const QString description = describeDisplay(info);
        DDCA_Display_Handle handle = nullptr;
        const DDCA_Status opened = library.openDisplay2(info.dref, false, &handle);
        if (opened != DDCRC_OK || !handle) {
            qWarning().noquote() << "DdcutilMonitors::detect: cannot open" << description << ":"
                                 << library.describe(opened);
            continue;
        }
        m_displays.emplace_back(library, handle, description);
        descriptions.append(description);
    }
    if (list->ct > kMaximumMonitors) {
        qDebug() << "DdcutilMonitors::detect:" << list->ct << "monitors, the first"
                 << kMaximumMonitors << "are kept";
    }
    library.freeDisplayInfoList(list);
    qDebug() << "DdcutilMonitors::detect found" << descriptions;
    return descriptions;
}

ExternalMonitors::Status DdcutilMonitors::fail(const char* function, DDCA_Status code, int index)
{
    const QString where = index >= 0 && index < int(m_displays.size())
                              ? QStringLiteral(" on %1").arg(m_displays[index].description())
                              : QString();
    m_lastError =
        QStringLiteral("%1%2: %3").arg(QLatin1String(function), where, m_library->describe(code));
    return statusOf(code);
}

bool DdcutilMonitors::validIndex(int index)
{
    if (index >= 0 && index < int(m_displays.size())) {
        return true;
    }
    m_lastError = QStringLiteral("no monitor %1: %2 detected").arg(index).arg(m_displays.size());
    return false;
}

ExternalMonitors::Status DdcutilMonitors::readBrightness(int index, Brightness& brightness)
{
    if (!validIndex(index)) {
        return Status::Failed;
    }
    DDCA_Non_Table_Vcp_Value value{};
    const DDCA_Status code =
        m_library->getNonTableVcpValue(m_displays[index].handle(), kBrightness, &value);
    if (code != DDCRC_OK) {
        return fail("ddca_get_non_table_vcp_value", code, index);
    }
    const unsigned maximum = (unsigned(value.mh) << 8) | value.ml;
    const unsigned current = (unsigned(value.sh) << 8) | value.sl;
    if (maximum == 0 || current > maximum) {
        m_lastError = QStringLiteral("%1 reports brightness %2 of a maximum %3")
                          .arg(m_displays[index].description())
                          .arg(current)
                          .arg(maximum);
        return Status::InvalidReply;
    }
    brightness = {0, current, maximum};
    return Status::Ok;
}

ExternalMonitors::Status DdcutilMonitors::setBrightness(int index, unsigned value)
{
    if (!validIndex(index)) {
        return Status::Failed;
    }
    if (value > 0xffff) {
        m_lastError = QStringLiteral("brightness %1 does not fit in 16 bits").arg(value);
        return Status::Failed;
    }
    const DDCA_Status code = m_library->setNonTableVcpValue(m_displays[index].handle(), kBrightness,
                                                            static_cast<uint8_t>(value >> 8),
                                                            static_cast<uint8_t>(value));
    if (code != DDCRC_OK) {
        return fail("ddca_set_non_table_vcp_value", code, index);
    }
    return Status::Ok;
}

std::unique_ptr<ExternalMonitors> createExternalMonitors()
{
    return std::make_unique<DdcutilMonitors>();
}
